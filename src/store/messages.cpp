#include "store/messages.h"

#include <iostream>

namespace {
class TStderrSink : public TMessageSink {
public:
  void ShowMessage(const std::string& text) override { std::cerr << text << "\n"; }
  void ShowError(const std::string& text) override { std::cerr << text << "\n"; }
};

TStderrSink DefaultSink;
TMessageSink* CurrentSink = &DefaultSink;
}  // namespace

TMessageSink& MessageSink() { return *CurrentSink; }

TMessageSink* SetMessageSink(TMessageSink* sink) {
  TMessageSink* previous = CurrentSink == &DefaultSink ? nullptr : CurrentSink;
  CurrentSink = sink ? sink : &DefaultSink;
  return previous;
}

TMessageSinkScope::TMessageSinkScope(TMessageSink& sink) : Previous(SetMessageSink(&sink)) {}
TMessageSinkScope::~TMessageSinkScope() { SetMessageSink(Previous); }
