#include "update/description.h"

#include <algorithm>
#include <cctype>

#include "core/text.h"

std::string LowerText(const std::string& text) {
  std::string lower = text;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return lower;
}

namespace {

// The value that starts at start and ends before endMark (an empty mark: the
// end of the line); empty without that end.
std::string ValueFrom(const std::string& text, size_t start, const std::string& endMark) {
  size_t end;
  if (endMark.empty()) {
    const size_t lf = text.find('\n', start);
    if (lf == std::string::npos) return {};
    const size_t cr = text.find('\r', start);
    end = (cr != std::string::npos && cr < lf) ? cr : lf;
  } else {
    end = text.find(endMark, start);
    if (end == std::string::npos) return {};
  }
  return text.substr(start, end - start);
}

// Where lowerKey begins a line of lower (the text's start, or after a CR or
// LF) outside [skipBegin, skipEnd); npos when it never does.
size_t KeyAtLineStart(const std::string& lower, const std::string& lowerKey, size_t skipBegin = 0,
                      size_t skipEnd = 0) {
  for (size_t at = lower.find(lowerKey); at != std::string::npos; at = lower.find(lowerKey, at + 1)) {
    if (at != 0 && lower[at - 1] != '\n' && lower[at - 1] != '\r') continue;
    if (at >= skipBegin && at < skipEnd) continue;
    return at;
  }
  return std::string::npos;
}

}  // namespace

std::string GetValue(const std::string& key, const std::string& text, const std::string& endMark) {
  if (key.empty()) return {};
  const size_t at = LowerText(text).find(LowerText(key));
  if (at == std::string::npos) return {};
  return ValueFrom(text, at + key.size(), endMark);
}

std::string DateKey(const std::string& text) {
  const std::string t = TrimBlanks(text);
  const size_t first = t.find('/');
  if (first == std::string::npos) return {};
  const size_t second = t.find('/', first + 1);
  if (second == std::string::npos) return {};
  return t.substr(second + 1) + t.substr(0, first) + t.substr(first + 1, second - first - 1);
}

void SplitURL(const std::string& url, std::string& host, std::string& path) {
  std::string rest = url;
  const std::string lower = LowerText(url);
  for (const char* scheme : {"https://", "http://"}) {
    const size_t at = lower.find(scheme);
    if (at != std::string::npos) {
      rest = url.substr(at + std::char_traits<char>::length(scheme));
      break;
    }
  }
  const size_t slash = rest.find('/');
  if (slash == std::string::npos) {
    host.clear();
    path = rest;
    return;
  }
  host = rest.substr(0, slash);
  path = rest.substr(slash);
}

std::string ExtractURLFileName(const std::string& url) {
  const size_t slash = url.rfind('/');
  return slash == std::string::npos ? url : url.substr(slash + 1);
}

namespace {
bool Printable(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto u = (unsigned char)c;
    return u > ' ' && u != 0x7f;
  });
}
}  // namespace

bool IsSafeFileName(const std::string& name) {
  if (name.empty() || name.size() > 255) return false;
  if (name[0] == '.' || name[0] == '-') return false;
  if (name.find("..") != std::string::npos) return false;
  for (char c : name) {
    const auto u = (unsigned char)c;
    if (u < ' ' || u == 0x7f) return false;
    if (c == '/' || c == '\\' || c == ':' || c == '%' || c == '?' || c == '#' || c == '*') return false;
  }
  return true;
}

bool IsWebAddress(const std::string& url) {
  if (url.size() > 2048 || !Printable(url)) return false;
  const std::string lower = LowerText(url);
  size_t schemeLength = 0;
  if (lower.rfind("https://", 0) == 0)
    schemeLength = 8;
  else if (lower.rfind("http://", 0) == 0)
    schemeLength = 7;
  else
    return false;
  const std::string rest = url.substr(schemeLength);
  return !rest.empty() && rest[0] != '/';
}

bool IsSafeHttpsAddress(const std::string& url) {
  if (!IsWebAddress(url) || LowerText(url).rfind("https://", 0) != 0) return false;
  if (url.find_first_of("?#\\") != std::string::npos) return false;
  std::string host, path;
  SplitURL(url, host, path);
  if (host.empty() || path.empty() || path.find("/.") != std::string::npos) return false;
  return IsSafeFileName(ExtractURLFileName(path));
}

std::vector<uint32_t> VersionNumbers(const std::string& text) {
  std::vector<uint32_t> numbers;
  const std::string t = TrimBlanks(text);
  size_t i = 0;
  while (i < t.size() && std::isdigit((unsigned char)t[i]) && numbers.size() < 16) {
    uint64_t value = 0;
    while (i < t.size() && std::isdigit((unsigned char)t[i])) {
      value = std::min<uint64_t>(value * 10 + uint64_t(t[i] - '0'), 0xFFFFFFFFu);
      ++i;
    }
    numbers.push_back(uint32_t(value));
    if (i + 1 < t.size() && t[i] == '.' && std::isdigit((unsigned char)t[i + 1]))
      ++i;
    else
      break;
  }
  return numbers;
}

bool IsNewerVersion(const std::string& offered, const std::string& own) {
  std::vector<uint32_t> a = VersionNumbers(offered), b = VersionNumbers(own);
  if (a.empty() || b.empty()) return false;
  const size_t n = std::max(a.size(), b.size());
  a.resize(n, 0);
  b.resize(n, 0);
  return a > b;
}

bool IsNewerDate(const std::string& offered, const std::string& own) {
  const std::string a = DateKey(offered), b = DateKey(own);
  return !a.empty() && !b.empty() && a > b;
}

TUpdateDescription ReadUpdateDescription(const std::string& text, bool fileScheme) {
  TUpdateDescription d;
  const std::string lower = LowerText(text);
  // The message may span lines and say anything; no key is read inside it.
  const std::string messageKey = "#message=[";
  size_t messageBegin = KeyAtLineStart(lower, messageKey), messageEnd = 0;
  if (messageBegin != std::string::npos) {
    const size_t close = text.find(']', messageBegin + messageKey.size());
    messageEnd = close == std::string::npos ? messageBegin + messageKey.size() : close + 1;
    d.Message = ValueFrom(text, messageBegin + messageKey.size(), "]");
  } else {
    messageBegin = 0;
  }
  const auto value = [&](const std::string& key) -> std::string {
    const size_t at = KeyAtLineStart(lower, key, messageBegin, messageEnd);
    return at == std::string::npos ? std::string() : ValueFrom(text, at + key.size(), EndOfLine);
  };
  d.Version = value("#version=");
  d.Date = value("#date=");
  d.FormCaption = value("#formcaption=");
  d.RedirectToURL = TrimBlanks(value("#redirecttourl="));
  d.ExecuteFile = TrimBlanks(value("#executefile="));
  d.WebPage = TrimBlanks(value("#webpage="));
  d.ApplicationTerminate = LowerText(TrimBlanks(value("#applicationterminate="))) == "true";
  for (int n = 1; n <= MaxUpdateFiles; ++n) {
    const std::string address = TrimBlanks(value("#file" + std::to_string(n) + "="));
    if (address.empty()) continue;
    TUpdateFile file;
    file.Number = n;
    file.Address = address;
    if (fileScheme) {
      const size_t slash = address.rfind('/');
      file.Name = slash == std::string::npos ? address : address.substr(slash + 1);
    } else {
      std::string host, path;
      SplitURL(address, host, path);
      file.Name = ExtractURLFileName(path);
    }
    file.Sha256 = LowerText(TrimBlanks(value("#sha256_" + std::to_string(n) + "=")));
    d.Files.push_back(std::move(file));
  }
  return d;
}

std::string CheckUpdateFiles(const TUpdateDescription& d, bool fileScheme) {
  for (size_t i = 0; i < d.Files.size(); ++i) {
    const TUpdateFile& f = d.Files[i];
    const std::string which = "file " + std::to_string(f.Number);
    if (fileScheme) {
      if (f.Address.empty() || f.Address[0] != '/' || !IsSafeFileName(f.Name))
        return "The update description names " + which + " with an unsafe path.";
    } else if (!IsSafeHttpsAddress(f.Address)) {
      return "The update description names " + which + " with an address that is not a safe https address.";
    }
    if (f.Sha256.size() != 64 || f.Sha256.find_first_not_of("0123456789abcdef") != std::string::npos)
      return "The update description gives no SHA-256 for " + which + ".";
    for (size_t j = 0; j < i; ++j)
      if (d.Files[j].Name == f.Name) return "The update description names two files " + f.Name + ".";
  }
  if (!d.ExecuteFile.empty() &&
      std::none_of(d.Files.begin(), d.Files.end(), [&](const TUpdateFile& f) { return f.Name == d.ExecuteFile; }))
    return "The file to start, " + d.ExecuteFile + ", is not one of the files of the update.";
  return {};
}
