#include "editor/gui/transitdetail.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/errors.h"
#include "editor/gui/drawingexport.h"
#include "core/units.h"
#include "core/advice.h"
#include "editor/storelink.h"
#include "store/tables.h"
#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "editor/gui/spinfield.h"
#include "platform/gui/textguard.h"
#include "editor/gui/transitpicture.h"

namespace {

constexpr int PagesTop = 40;
constexpr int MemoHeight = 60;
constexpr int ButtonHeight = 25;
// The frame's caption bar, which the placement rules below count in.
constexpr int CaptionAllowance = 22;

// The text colour of an enabled window. Asked of the application, not of the
// window: while the window is busy (disabled) its own palette answers grey.
QColor WindowTextColour(const QWidget* widget) {
  return QApplication::palette(widget).color(QPalette::Active, QPalette::WindowText);
}

QColor ColourOf(TColor colour, const QWidget* widget) {
  if (colour == clWindowText) return WindowTextColour(widget);
  return QColor(int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF));
}

void SetTextColour(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::Active, QPalette::WindowText, colour);
  palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
  label->setPalette(palette);
}

// Memo text keeps carriage return and line feed between lines.
QString MemoText(const std::string& text) { return MessageText(text); }
std::string StoredText(const QString& text) {
  QString stored = text;
  stored.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return S(stored);
}

QIcon SignIcon(bool plus) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(plus ? QColor(0x2E, 0x8B, 0x3A) : QColor(0xC0, 0x30, 0x30));
  painter.drawRoundedRect(QRectF(4, 13, 24, 6), 2, 2);
  if (plus) painter.drawRoundedRect(QRectF(13, 4, 6, 24), 2, 2);
  painter.end();
  pixmap.setDevicePixelRatio(2);
  return QIcon(pixmap);
}

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* Label(QWidget* parent, const char* name, const char* text) {
  return Named(new QLabel(QString::fromUtf8(text), parent), name);
}

}  // namespace

TfrmTransitDetail::TfrmTransitDetail(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TfrmTransitDetail"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  BuildControls();
  Wire();
  setMinimumSize(DesignWidth, DesignHeight);
  resize(DesignWidth, DesignHeight);
  LayoutControls();
}

TfrmTransitDetail::~TfrmTransitDetail() {
  FLoaded = false;
  tmrRedrawTransitAfterResize->stop();
  tmrRedrawTransitAfterChange->stop();
  tmrBlinkWarning->stop();
  if (FBusy) QApplication::restoreOverrideCursor();
  FPresenter.reset();
}

// ---------------------------------------------------------------- building

void TfrmTransitDetail::BuildControls() {
  pnlHeader = Named(new QWidget(this), "pnlHeader");
  Header = new QHBoxLayout(pnlHeader);
  Header->setContentsMargins(0, 0, 0, 0);
  lblName = Label(pnlHeader, "lblName", "Name:");
  edtTransitName = Named(new QLineEdit(pnlHeader), "edtTransitName");
  edtTransitName->setMaxLength(100);
  lblName->setBuddy(edtTransitName);
  lblTransitsInProject = Label(pnlHeader, "lblTransitsInProject", "Transits in project:");
  edsInProject = Named(new TSpinField(pnlHeader), "edsInProject");
  edsInProject->setDecimals(0);
  edsInProject->setRange(0, 100000);
  edsInProject->setSingleStep(1);
  edsInProject->SetPageStep(10);
  edsInProject->setFixedWidth(80);
  btnMaterialReport = Named(new QPushButton(QStringLiteral("Materials"), pnlHeader), "btnMaterialReport");
  btnExportDrawing = Named(new QPushButton(QStringLiteral("Export drawing..."), pnlHeader), "btnExportDrawing");
  btnExportDrawing->setToolTip(QStringLiteral("Writes the drawing as a PNG picture, an SVG drawing or a DXF file for CAD"));
  Header->addWidget(lblName);
  Header->addWidget(edtTransitName, 1);
  Header->addSpacing(12);
  Header->addWidget(lblTransitsInProject);
  Header->addWidget(edsInProject);
  Header->addSpacing(12);
  Header->addWidget(btnMaterialReport);
  Header->addWidget(btnExportDrawing);

  // The drawing.
  grpDrawing = Named(new QGroupBox(this), "grpDrawing");
  imgTransit = Named(new TTransitPicture(grpDrawing), "imgTransit");
  lblWarning = Label(grpDrawing, "lblWarning", "");
  lblWarning->setAlignment(Qt::AlignCenter);
  lblWarning->setWordWrap(true);
  QFont bold = lblWarning->font();
  bold.setBold(true);
  lblWarning->setFont(bold);
  SetTextColour(lblWarning, Qt::red);
  lblWarning->hide();
  lblWarningSize = Label(grpDrawing, "lblWarningSize", "Check the Type Approval Certificates for limitations in sizes !");
  lblWarningSize->setFont(bold);
  lblWarningSize->setAlignment(Qt::AlignCenter);
  SetTextColour(lblWarningSize, QColor(0x80, 0x80, 0x80));

  // The dimensions.
  grpDimensions = Named(new QGroupBox(this), "grpDimensions");
  rdoRound = Named(new QRadioButton(QStringLiteral("Round"), grpDimensions), "rdoRound");
  rdoRectangular = Named(new QRadioButton(QStringLiteral("Rect"), grpDimensions), "rdoRectangular");
  auto sizeField = [&](const char* name) {
    TSpinField* field = Named(new TSpinField(grpDimensions), name);
    field->setRange(0, 100000);
    field->setDecimals(2);
    return field;
  };
  lblWidth = Label(grpDimensions, "lblWidth", "Width:");
  lblHeight = Label(grpDimensions, "lblHeight", "Height:");
  lblRadius = Label(grpDimensions, "lblRadius", "Radius:");
  edsWidth = sizeField("edsWidth");
  edsHeight = sizeField("edsHeight");
  edsRadius = sizeField("edsRadius");
  lblWidthUnit = Label(grpDimensions, "lblWidthUnit", "mm");
  lblHeightUnit = Label(grpDimensions, "lblHeightUnit", "mm");
  lblRadiusUnit = Label(grpDimensions, "lblRadiusUnit", "mm");
  lblSpareCaption = Label(grpDimensions, "lblSpareCaption", "Spare:");
  edsSparePerc = Named(new TSpinField(grpDimensions), "edsSparePerc");
  edsSparePerc->setDecimals(0);
  edsSparePerc->setRange(0, 100);
  edsSparePerc->setSingleStep(1);
  edsSparePerc->SetPageStep(5);
  lblSpareUnit = Label(grpDimensions, "lblSpareUnit", "%");
  imgSpareMessage = Named(new QLabel(grpDimensions), "imgSpareMessage");
  imgSpareMessage->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(16, 16));
  imgSpareMessage->setToolTip(MessageText(SpareHintText));
  imgSpareMessage->hide();
  lblFillingRateC = Label(grpDimensions, "lblFillingRateC", "Filling rate:");
  lblFillingRate = Label(grpDimensions, "lblFillingRate", "-");
  // Alt+R, a letter none of the frame's toolbar buttons has.
  btnResize = Named(new QPushButton(QStringLiteral("&Resize to fit"), grpDimensions), "btnResize");
  btnTemplate = Named(new QPushButton(QStringLiteral("Templates"), grpDimensions), "btnTemplate");

  // The data pages.
  pgcTransitdata = Named(new QTabWidget(this), "pgcTransitdata");
  tabTransit = Named(new QWidget, "tabTransit");
  tabConduits = Named(new QWidget, "tabConduits");
  tabComments = Named(new QWidget, "tabComments");
  tabDisclaimer = Named(new QWidget, "tabDisclaimer");
  // Four pages side by side in the narrow column.
  pgcTransitdata->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 4px; }"));
  pgcTransitdata->addTab(tabTransit, QStringLiteral("Transit"));
  pgcTransitdata->addTab(tabConduits, QStringLiteral("Cables"));
  pgcTransitdata->addTab(tabComments, QStringLiteral("Comments"));
  pgcTransitdata->addTab(tabDisclaimer, QStringLiteral("Disclaimer"));

  grpTransitUpper = Named(new QGroupBox(tabTransit), "grpTransitUpper");
  auto* choices = new QGridLayout(grpTransitUpper);
  choices->setContentsMargins(6, 6, 6, 6);
  choices->setVerticalSpacing(4);
  lblType = Label(grpTransitUpper, "lblType", "Type:");
  lblClassification = Label(grpTransitUpper, "lblClassification", "Class:");
  lblCartridge = Label(grpTransitUpper, "lblCartridge", "Sealant:");
  lblDepth = Label(grpTransitUpper, "lblDepth", "Depth:");
  auto choice = [&](const char* name) { return Named(new QComboBox(grpTransitUpper), name); };
  cboFillSystem = choice("cboFillSystem");
  cboDefaultConduitType = choice("cboDefaultConduitType");
  cboFillSubsystem = choice("cboFillSubsystem");
  cboClassification = choice("cboClassification");
  cboSealantCartridge = choice("cboSealantCartridge");
  cboSealantLayer = choice("cboSealantLayer");
  edsDepth = Named(new TSpinField(grpTransitUpper), "edsDepth");
  edsDepth->setRange(0, 100000);
  lblDepthUnit = Label(grpTransitUpper, "lblDepthUnit", "mm");
  imgDepthWarning = Named(new QLabel(grpTransitUpper), "imgDepthWarning");
  imgDepthWarning->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
  imgDepthWarning->hide();
  lblRemarkSpare = Label(grpTransitUpper, "lblRemarkSpare", SpareRemarkText);
  lblRemarkSpare->setWordWrap(true);
  lblRemarkSpare->hide();
  choices->addWidget(lblType, 0, 0);
  choices->addWidget(cboFillSystem, 0, 1);
  choices->addWidget(cboDefaultConduitType, 1, 1);
  choices->addWidget(cboFillSubsystem, 2, 1);
  choices->addWidget(lblClassification, 3, 0);
  choices->addWidget(cboClassification, 3, 1);
  choices->addWidget(lblCartridge, 4, 0);
  choices->addWidget(cboSealantCartridge, 4, 1);
  choices->addWidget(cboSealantLayer, 5, 1);
  auto* depthRow = new QHBoxLayout;
  depthRow->addWidget(edsDepth, 1);
  depthRow->addWidget(lblDepthUnit);
  depthRow->addWidget(imgDepthWarning);
  QSizePolicy keep = imgDepthWarning->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  imgDepthWarning->setSizePolicy(keep);
  choices->addWidget(lblDepth, 6, 0);
  choices->addLayout(depthRow, 6, 1);
  choices->addWidget(lblRemarkSpare, 7, 0, 1, 2);
  // What a template's page says instead of the choices it does not have.
  lblTemplateNote = Label(grpTransitUpper, "lblTemplateNote",
                          "A template passes its shape and sizes on to the transits that take it with their "
                          "\"Templates\" button.");
  lblTemplateNote->setWordWrap(true);
  lblTemplateNote->hide();
  choices->addWidget(lblTemplateNote, 8, 0, 1, 2);
  choices->setRowStretch(9, 1);
  choices->setColumnStretch(1, 1);

  grpTransitLower = Named(new QGroupBox(tabTransit), "grpTransitLower");
  auto* stamps = new QGridLayout(grpTransitLower);
  stamps->setContentsMargins(6, 4, 6, 4);
  stamps->setVerticalSpacing(2);
  lblCreated = Label(grpTransitLower, "lblCreated", "");
  lblCreatedBy = Label(grpTransitLower, "lblCreatedBy", "");
  lblLastModified = Label(grpTransitLower, "lblLastModified", "");
  lblLastModifiedBy = Label(grpTransitLower, "lblLastModifiedBy", "");
  stamps->setHorizontalSpacing(4);
  // Each stamp on two lines, the date whole with its seconds and the user's
  // name below it, so neither cuts the other short.
  // The name takes the group's whole width after its "by :".
  auto byLine = [&](const char* name, QLabel* who) {
    auto* line = new QHBoxLayout;
    line->setSpacing(4);
    line->addSpacing(12);
    line->addWidget(Label(grpTransitLower, name, "by :"));
    line->addWidget(who, 1);
    return line;
  };
  stamps->addWidget(Label(grpTransitLower, "lblCreatedC", "Created :"), 0, 0);
  stamps->addWidget(lblCreated, 0, 1);
  stamps->addLayout(byLine("lblCreatedByC", lblCreatedBy), 1, 0, 1, 2);
  stamps->addWidget(Label(grpTransitLower, "lblLastModifiedC", "Modified :"), 2, 0);
  stamps->addWidget(lblLastModified, 2, 1);
  stamps->addLayout(byLine("lblLastModifiedByC", lblLastModifiedBy), 3, 0, 1, 2);
  stamps->setColumnStretch(1, 1);
  stamps->setRowStretch(4, 1);

  grpConduitsUpper = Named(new QGroupBox(tabConduits), "grpConduitsUpper");
  auto* listBox = new QGridLayout(grpConduitsUpper);
  listBox->setContentsMargins(6, 6, 6, 6);
  lvwConduits = Named(new QTreeWidget(grpConduitsUpper), "lvwConduits");
  lvwConduits->setColumnCount(3);
  lvwConduits->setHeaderLabels({QString(), QStringLiteral("Amount"), QStringLiteral("Outer diameter")});
  lvwConduits->setRootIsDecorated(false);
  lvwConduits->setSelectionMode(QAbstractItemView::SingleSelection);
  lvwConduits->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvwConduits->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvwConduits->setUniformRowHeights(true);
  lvwConduits->setAllColumnsShowFocus(true);
  lvwConduits->header()->setSectionsMovable(false);
  lvwConduits->header()->setMinimumSectionSize(0);
  lvwConduits->setColumnWidth(0, 0);
  lvwConduits->setColumnWidth(1, 70);
  lvwConduits->setContextMenuPolicy(Qt::CustomContextMenu);
  btnAdd = Named(new QToolButton(grpConduitsUpper), "btnAdd");
  btnAdd->setIcon(SignIcon(true));
  btnAdd->setToolTip(QStringLiteral("Add"));
  btnDel = Named(new QToolButton(grpConduitsUpper), "btnDel");
  btnDel->setIcon(SignIcon(false));
  btnDel->setToolTip(QStringLiteral("Delete"));
  listBox->addWidget(lvwConduits, 0, 0, 3, 1);
  listBox->addWidget(btnAdd, 0, 1);
  listBox->addWidget(btnDel, 1, 1);
  listBox->setRowStretch(2, 1);
  mnuExportClipboard = new QAction(QStringLiteral("Export list to Clipboard"), this);
  mnuExportClipboard->setObjectName(QStringLiteral("mnuExportClipboard"));
  mnuImportClipboard = new QAction(QStringLiteral("Import list from Clipboard"), this);
  mnuImportClipboard->setObjectName(QStringLiteral("mnuImportClipboard"));

  grpConduitsLower = Named(new QGroupBox(tabConduits), "grpConduitsLower");
  auto* stats = new QGridLayout(grpConduitsLower);
  stats->setContentsMargins(6, 4, 6, 4);
  stats->setVerticalSpacing(2);
  lblStatConduitsC = Label(grpConduitsLower, "lblStatConduitsC", "Cables:");
  lblStatConduits = Label(grpConduitsLower, "lblStatConduits", "");
  lblStatODs = Label(grpConduitsLower, "lblStatODs", "");
  lblAvailableAreaC = Label(grpConduitsLower, "lblAvailableAreaC", "Available area:");
  lblAvailableArea = Label(grpConduitsLower, "lblAvailableArea", "");
  lblConduitAreaC = Label(grpConduitsLower, "lblConduitAreaC", "Cable area:");
  lblConduitArea = Label(grpConduitsLower, "lblConduitArea", "");
  lblConduitSleeveAreaC = Label(grpConduitsLower, "lblConduitSleeveAreaC", "Cable+sleeve area:");
  lblConduitSleeveArea = Label(grpConduitsLower, "lblConduitSleeveArea", "");
  lblConduitSleeveSpareAreaC = Label(grpConduitsLower, "lblConduitSleeveSpareAreaC", "Cable+sleeve+spare area:");
  lblConduitSleeveSpareArea = Label(grpConduitsLower, "lblConduitSleeveSpareArea", "");
  // The counts' row spans both columns, so that a long count such as
  // "(OD's: 10)" never narrows the captions' column below.
  auto* counts = new QHBoxLayout;
  counts->setSpacing(6);
  counts->addWidget(lblStatConduitsC);
  counts->addStretch(1);
  counts->addWidget(lblStatConduits);
  counts->addWidget(lblStatODs);
  stats->addLayout(counts, 0, 0, 1, 2);
  QLabel* captions[] = {lblAvailableAreaC, lblConduitAreaC, lblConduitSleeveAreaC, lblConduitSleeveSpareAreaC};
  QLabel* values[] = {lblAvailableArea, lblConduitArea, lblConduitSleeveArea, lblConduitSleeveSpareArea};
  for (int i = 0; i < 4; ++i) {
    stats->addWidget(captions[i], i + 1, 0);
    stats->addWidget(values[i], i + 1, 1, Qt::AlignRight);
  }
  stats->setColumnStretch(1, 1);
  stats->setHorizontalSpacing(4);
  // The two small groups carry long captions: a point smaller.
  for (QGroupBox* group : {grpTransitLower, grpConduitsLower}) {
    QFont small = group->font();
    small.setPointSizeF(small.pointSizeF() - 1);
    group->setFont(small);
  }

  mmoComments = Named(new QPlainTextEdit(tabComments), "mmoComments");
  auto* commentsLayout = new QVBoxLayout(tabComments);
  commentsLayout->setContentsMargins(4, 4, 4, 4);
  commentsLayout->addWidget(mmoComments);
  mmoDisclaimer = Named(new QPlainTextEdit(tabDisclaimer), "mmoDisclaimer");
  mmoDisclaimer->setReadOnly(true);
  auto* disclaimerLayout = new QVBoxLayout(tabDisclaimer);
  disclaimerLayout->setContentsMargins(4, 4, 4, 4);
  disclaimerLayout->addWidget(mmoDisclaimer);

  mmoValidationMessages = Named(new QPlainTextEdit(this), "mmoValidationMessages");
  mmoValidationMessages->setReadOnly(true);
  mmoValidationMessages->setFont(bold);
  {
    QPalette palette = mmoValidationMessages->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::Text, Qt::red);
    mmoValidationMessages->setPalette(palette);
  }
  mmoValidationMessages->hide();

  btnUndo = Named(new QPushButton(QStringLiteral("Undo"), this), "btnUndo");
  btnRedo = Named(new QPushButton(QStringLiteral("Redo"), this), "btnRedo");
  btnSave = Named(new QPushButton(QStringLiteral("Save"), this), "btnSave");
  btnSaveAs = Named(new QPushButton(QStringLiteral("Save as"), this), "btnSaveAs");
  btnClose = Named(new QPushButton(QStringLiteral("Close"), this), "btnClose");
  btnClose->hide();
  for (QPushButton* button : {btnUndo, btnRedo, btnSave, btnSaveAs}) button->setEnabled(false);

  tmrRedrawTransitAfterResize = Named(new QTimer(this), "tmrRedrawTransitAfterResize");
  tmrRedrawTransitAfterResize->setInterval(100);
  tmrRedrawTransitAfterChange = Named(new QTimer(this), "tmrRedrawTransitAfterChange");
  tmrRedrawTransitAfterChange->setInterval(200);
  tmrBlinkWarning = Named(new QTimer(this), "tmrBlinkWarning");
  tmrBlinkWarning->setInterval(300);

  // The keyboard's way through the window.
  setTabOrder(edtTransitName, edsInProject);
  setTabOrder(edsInProject, btnMaterialReport);
  setTabOrder(btnMaterialReport, btnExportDrawing);
  setTabOrder(btnExportDrawing, rdoRound);
  setTabOrder(rdoRound, rdoRectangular);
  setTabOrder(rdoRectangular, edsWidth);
  setTabOrder(edsWidth, edsHeight);
  setTabOrder(edsHeight, edsRadius);
  setTabOrder(edsRadius, edsSparePerc);
  setTabOrder(edsSparePerc, btnResize);
  setTabOrder(btnResize, btnTemplate);
  setTabOrder(btnTemplate, pgcTransitdata);
}

template <class F>
void TfrmTransitDetail::Call(F&& operation) {
  if (!FPresenter) return;
  ++FCallDepth;
  try {
    operation(*FPresenter);
  } catch (const std::exception& e) {
    --FCallDepth;
    TKeepEditorInFront front(this);
    ShowFailure(this, e);
    return;
  }
  --FCallDepth;
}

bool TfrmTransitDetail::Forwarding() const { return FLoaded && FPresenter && FCallDepth == 0 && !FForced; }

void TfrmTransitDetail::Toolbar(void (TPresenterTransitDetail::*action)()) {
  if (!Forwarding()) return;
  CommitPendingEdits();
  Call([&](TPresenterTransitDetail& p) { (p.*action)(); });
}

void TfrmTransitDetail::Wire() {
  auto mayForward = [this] { return Forwarding(); };
  struct TSizeField {
    TSpinField* field;
    void (TPresenterTransitDetail::*set)(bool, double);
  };
  for (TSizeField f : {TSizeField{edsHeight, &TPresenterTransitDetail::SetHeight},
                       TSizeField{edsRadius, &TPresenterTransitDetail::SetRadius},
                       TSizeField{edsDepth, &TPresenterTransitDetail::SetDepth},
                       TSizeField{edsSparePerc, &TPresenterTransitDetail::SetSparePercentage}}) {
    f.field->MayForward = mayForward;
    f.field->OnSpin = [this, f](double v) { Call([&](TPresenterTransitDetail& p) { (p.*f.set)(true, v); }); };
    f.field->OnCommit = [this, f](double v) { Call([&](TPresenterTransitDetail& p) { (p.*f.set)(false, v); }); };
  }
  edsInProject->MayForward = mayForward;
  edsInProject->OnSpin = [this](double v) {
    Call([&](TPresenterTransitDetail& p) { p.SetInProjectCount(true, std::trunc(v)); });
  };
  edsInProject->OnCommit = [this](double v) {
    Call([&](TPresenterTransitDetail& p) { p.SetInProjectCount(false, v); });
  };
  edsWidth->MayForward = mayForward;
  edsWidth->OnSpin = [this](double v) {
    Call([&](TPresenterTransitDetail& p) { p.SetWidth(true, rdoRound->isChecked(), v); });
  };
  edsWidth->OnCommit = [this](double v) {
    Call([&](TPresenterTransitDetail& p) { p.SetWidth(false, rdoRound->isChecked(), v); });
  };

  GuardWindows1252(edtTransitName);
  GuardWindows1252(mmoComments);
  connect(edtTransitName, &QLineEdit::textEdited, this, [this] {
    if (Forwarding()) EnableUndoRedoSave(true, false, true);
  });
  connect(edtTransitName, &QLineEdit::editingFinished, this, [this] {
    if (!Forwarding()) return;
    const std::string text = S(edtTransitName->text());
    if (text != FShownName) Call([&](TPresenterTransitDetail& p) { p.SetName(text); });
  });
  connect(mmoComments, &QPlainTextEdit::textChanged, this, [this] {
    if (Forwarding() && StoredText(mmoComments->toPlainText()) != FShownComments) EnableUndoRedoSave(true, false, true);
  });
  mmoComments->installEventFilter(this);

  connect(rdoRound, &QRadioButton::clicked, this, [this] {
    if (Forwarding()) Call([](TPresenterTransitDetail& p) { p.SetRound(true); });
  });
  connect(rdoRectangular, &QRadioButton::clicked, this, [this] {
    if (Forwarding()) Call([](TPresenterTransitDetail& p) { p.SetRound(false); });
  });

  auto onChoice = [this](QComboBox* list, auto apply) {
    connect(list, &QComboBox::activated, this, [this, list, apply](int) {
      if (!Forwarding()) return;
      const std::string text = S(list->currentText());
      Call([&](TPresenterTransitDetail& p) { apply(p, text); });
    });
  };
  onChoice(cboFillSystem, [](TPresenterTransitDetail& p, const std::string& t) { p.SetFillSystem(ParseFillSystem(t)); });
  onChoice(cboDefaultConduitType,
           [](TPresenterTransitDetail& p, const std::string& t) { p.SetConduitType(ParseConduitType(t)); });
  onChoice(cboFillSubsystem,
           [](TPresenterTransitDetail& p, const std::string& t) { p.SetFillSubsystem(ParseFillSubsystem(t)); });
  onChoice(cboClassification,
           [](TPresenterTransitDetail& p, const std::string& t) { p.SetClassification(ParseClassification(t)); });
  onChoice(cboSealantCartridge, [](TPresenterTransitDetail& p, const std::string& t) {
    p.SetSealantCartridge(ParseSealantCartridge(t));
  });
  onChoice(cboSealantLayer,
           [](TPresenterTransitDetail& p, const std::string& t) { p.SetSealantLayer(ParseSealantLayer(t)); });

  lvwConduits->installEventFilter(this);
  connect(lvwConduits, &QTreeWidget::itemDoubleClicked, this, [this] { ListAction(Qt::Key_Return); });
  connect(btnAdd, &QToolButton::clicked, this, [this] { ListAction(Qt::Key_Insert); });
  connect(btnDel, &QToolButton::clicked, this, [this] { DeleteSelectedConduit(); });
  connect(lvwConduits, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    menu.addAction(mnuExportClipboard);
    menu.addAction(mnuImportClipboard);
    menu.exec(lvwConduits->viewport()->mapToGlobal(at));
  });
  connect(mnuExportClipboard, &QAction::triggered, this,
          [this] { Toolbar(&TPresenterTransitDetail::ExportConduitList); });
  connect(mnuImportClipboard, &QAction::triggered, this,
          [this] { Toolbar(&TPresenterTransitDetail::ImportConduitListOrComplain); });

  imgTransit->OnDoubleClick = [this](QPoint at) {
    if (!Forwarding()) return;
    CommitPendingEdits();
    Call([&](TPresenterTransitDetail& p) { p.EditConduitAt(TPoint{at.x(), at.y()}); });
  };
  imgTransit->OnStale = [this] { StaleDrawing(); };

  connect(btnUndo, &QPushButton::clicked, this, [this] {
    if (!Forwarding()) return;
    CommitPendingEdits();
    Call([](TPresenterTransitDetail& p) { p.StepHistory(-1); });
  });
  connect(btnRedo, &QPushButton::clicked, this, [this] {
    if (!Forwarding()) return;
    CommitPendingEdits();
    Call([](TPresenterTransitDetail& p) { p.StepHistory(+1); });
  });
  connect(btnSave, &QPushButton::clicked, this, [this] { Toolbar(&TPresenterTransitDetail::Save); });
  connect(btnSaveAs, &QPushButton::clicked, this, [this] { Toolbar(&TPresenterTransitDetail::SaveAs); });
  connect(btnTemplate, &QPushButton::clicked, this, [this] { Toolbar(&TPresenterTransitDetail::ChooseTemplate); });
  connect(btnResize, &QPushButton::clicked, this, [this] { Toolbar(&TPresenterTransitDetail::ResizeToFit); });
  connect(btnMaterialReport, &QPushButton::clicked, this,
          [this] { Toolbar(&TPresenterTransitDetail::ShowMaterialReport); });
  connect(btnExportDrawing, &QPushButton::clicked, this, [this] {
    if (!Forwarding() || !FPresenter) return;
    CommitPendingEdits();
    ExportDrawing(this, FPresenter->Model(), imgTransit->size() * imgTransit->devicePixelRatioF(),
                  editorstore::AntiAliasing(), editorstore::ShowGrid());
  });
  connect(btnClose, &QPushButton::clicked, this, [this] {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
      sub->close();
    else
      close();
  });

  connect(tmrRedrawTransitAfterResize, &QTimer::timeout, this, [this] {
    tmrRedrawTransitAfterResize->stop();
    if (FPresenter && !FHoldRedraw && FCallDepth == 0) Call([](TPresenterTransitDetail& p) { p.Redraw(); });
  });
  connect(tmrRedrawTransitAfterChange, &QTimer::timeout, this, [this] {
    tmrRedrawTransitAfterChange->stop();
    if (FPresenter && !FHoldRedraw) Call([](TPresenterTransitDetail& p) { p.Redraw(); });
  });
  connect(tmrBlinkWarning, &QTimer::timeout, this, [this] { BlinkTick(); });
  tmrBlinkWarning->start();
}

// ---------------------------------------------------------------- opening and notifications

void TfrmTransitDetail::Init(int32_t id) {
  TfrmMDIchild::ViewID = id;
  FBlinkCount = 0;
  FDepthAlertArmed = true;
  pgcTransitdata->setCurrentIndex(0);
  if (editorstore::TransitExists(id)) FProjectID = editorstore::TransitProjectID(id);
  const TEditorServices services{&FDialogs, &FConduitDialog, &FTemplateChooser, &FReportDialog, &FWindowFrame};
  ++FCallDepth;
  try {
    FPresenter = std::make_unique<TPresenterTransitDetail>(*this, services);
  } catch (...) {
    --FCallDepth;
    throw;
  }
  --FCallDepth;
  FLoaded = true;
}

void TfrmTransitDetail::Notify(uint8_t code, int32_t id) {
  const bool gone = (code == nkTransitDeleted && id == TfrmMDIchild::ViewID) ||
                    ((code == nkProjectDeleting || code == nkProjectDeleted) && id == FProjectID &&
                     FProjectID != TemplateProjectID);
  if (gone) {
    ForceCloseForm();
    return;
  }
  if (FPresenter && !FForced) Call([&](TPresenterTransitDetail& p) { p.HandleNotification(code, id); });
}

void TfrmTransitDetail::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (FShownOnce) return;
  FShownOnce = true;
  // A new editor takes the fixed size when the user wants it; on a low
  // screen it starts at its minimum height.
  if (editorstore::FixedWindow()) {
    FWindowFrame.SetFixedSize(true);
  } else if (const QScreen* s = screen(); s && s->availableGeometry().height() < 768) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
      sub->resize(sub->width(), sub->height() - height() + minimumHeight());
    else
      resize(width(), minimumHeight());
  }
}

// ---------------------------------------------------------------- layout

void TfrmTransitDetail::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (FLoaded) LayoutControls();
}

void TfrmTransitDetail::LayoutControls() {
  const int W = width();
  const int H = height() + CaptionAllowance;
  imgTransit->hide();
  tmrRedrawTransitAfterResize->stop();

  pnlHeader->setGeometry(8, 6, W - 24, 28);
  grpDrawing->setGeometry(8, PagesTop, W - 280, H - 181);
  grpDimensions->setGeometry(8, H - 129, W - 280, 100);
  const int memoTop = H - 132;
  pgcTransitdata->move(W - 265, PagesTop);
  mmoValidationMessages->setGeometry(W - 266, memoTop, 258, MemoHeight);
  btnUndo->setGeometry(W - 266, H - 65, 57, ButtonHeight);
  btnRedo->setGeometry(W - 205, H - 65, 63, ButtonHeight);
  btnSave->setGeometry(W - 138, H - 65, 57, ButtonHeight);
  btnSaveAs->setGeometry(W - 77, H - 65, 69, ButtonHeight);
  btnClose->setGeometry(W - 77, H - 65, 69, ButtonHeight);
  const int pagesHeight =
      mmoValidationMessages->isVisibleTo(this) ? memoTop - PagesTop - 5 : memoTop + MemoHeight - PagesTop;
  pgcTransitdata->resize(257, pagesHeight);

  // Inside the pages (their own coordinates, under the tabs).
  const int tabs = pgcTransitdata->tabBar()->sizeHint().height();
  const int pageWidth = 257 - 8;
  // The stamps' group is as high as its four lines need (at least the
  // design's); the choices above take the rest.
  const int stampsHeight = std::max(104 - tabs - 8, grpTransitLower->layout()->sizeHint().height());
  const int stampsTop = pagesHeight - tabs - 8 - stampsHeight;
  grpTransitUpper->setGeometry(2, 2, pageWidth, stampsTop - 12);
  grpTransitLower->setGeometry(2, stampsTop, pageWidth, stampsHeight);
  grpConduitsUpper->setGeometry(2, 2, pageWidth, pagesHeight - 148);
  grpConduitsLower->setGeometry(2, pagesHeight - 136, pageWidth, 136 - tabs - 8);

  // The dimensions group.
  const int gw = W - 280;
  rdoRound->setGeometry(10, 18, 70, 20);
  rdoRectangular->setGeometry(10, 44, 70, 20);
  const bool round = rdoRound->isChecked();
  const int widthTop = round ? 19 : 12;
  lblWidth->setGeometry(80, widthTop + 4, 62, 18);
  edsWidth->setGeometry(144, widthTop, 80, 24);
  lblWidthUnit->setGeometry(228, widthTop + 4, 30, 18);
  lblHeight->setGeometry(80, 43, 62, 18);
  edsHeight->setGeometry(144, 39, 80, 24);
  lblHeightUnit->setGeometry(228, 43, 30, 18);
  lblRadius->setGeometry(80, 70, 62, 18);
  edsRadius->setGeometry(144, 66, 80, 24);
  lblRadiusUnit->setGeometry(228, 70, 30, 18);
  lblSpareCaption->setGeometry(266, 16, 42, 18);
  edsSparePerc->setGeometry(308, 12, 52, 24);
  lblSpareUnit->setGeometry(363, 16, 14, 18);
  imgSpareMessage->setGeometry(378, 16, 16, 16);
  lblFillingRateC->setGeometry(266, 46, 70, 18);
  lblFillingRate->setGeometry(338, 46, 60, 18);
  btnResize->setGeometry(gw - 112, 12, 104, ButtonHeight);
  btnTemplate->setGeometry(gw - 112, 44, 104, ButtonHeight);

  LayoutDrawing();
  tmrRedrawTransitAfterResize->start();
}

int TfrmTransitDetail::WarningHeight(int width) const {
  // Two lines at least, so a warning coming or going does not move the
  // drawing; more when the warning wraps further at this width.
  const int lines = 2 * lblWarning->fontMetrics().height() + 4;
  if (FWarningText.isEmpty()) return lines;
  return std::max(lines, lblWarning->heightForWidth(width) + 2);
}

void TfrmTransitDetail::LayoutDrawing() {
  const int w = grpDrawing->width(), h = grpDrawing->height();
  const int line = lblWarningSize->fontMetrics().height();
  const int warning = WarningHeight(w - 12);
  lblWarning->setGeometry(6, 4, w - 12, warning);
  lblWarningSize->setGeometry(6, h - line - 6, w - 12, line + 2);
  const int top = 4 + warning + 2;
  imgTransit->setGeometry(6, top, w - 12, std::max(0, h - line - 8 - top));
}

void TfrmTransitDetail::StaleDrawing() {
  if (!FLoaded) return;
  // Picture size no longer matches: hidden until it is drawn anew.
  if (imgTransit->Image().isNull() || imgTransit->Image().size() != imgTransit->DeviceSize() ||
      !qFuzzyCompare(imgTransit->Image().devicePixelRatio(), imgTransit->devicePixelRatioF())) {
    imgTransit->hide();
    tmrRedrawTransitAfterResize->start();
  }
}

void TfrmTransitDetail::BlinkTick() {
  const bool has = !FWarningText.isEmpty();
  bool visible = has;
  if (editorstore::BlinkWarning()) {
    FBlinkCount = (FBlinkCount + 1) % 3;
    visible = has && FBlinkCount >= 1;
  }
  lblWarning->setVisible(visible);
}

// ---------------------------------------------------------------- input

void TfrmTransitDetail::CommitPendingEdits() {
  if (!Forwarding()) return;
  for (TSpinField* field : {edsInProject, edsWidth, edsHeight, edsRadius, edsSparePerc, edsDepth})
    if (field->HasPendingEdit()) field->CommitPendingEdit();
  const std::string name = S(edtTransitName->text());
  if (name != FShownName) Call([&](TPresenterTransitDetail& p) { p.SetName(name); });
  const std::string comments = StoredText(mmoComments->toPlainText());
  if (comments != FShownComments) Call([&](TPresenterTransitDetail& p) { p.SetComments(comments); });
}

bool TfrmTransitDetail::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mmoComments && event->type() == QEvent::FocusOut) {
    const std::string comments = StoredText(mmoComments->toPlainText());
    if (Forwarding() && comments != FShownComments)
      Call([&](TPresenterTransitDetail& p) { p.SetComments(comments); });
  } else if (watched == lvwConduits && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Insert) {
      ListAction(key);
      return true;
    }
    if (key == Qt::Key_Delete) {
      DeleteSelectedConduit();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TfrmTransitDetail::ListAction(int key) {
  if (!Forwarding()) return;
  CommitPendingEdits();
  if (key == Qt::Key_Insert) {
    Call([](TPresenterTransitDetail& p) { p.AddConduits(); });
  } else {
    const int row = SelectedConduitgroup();
    if (row < 0) return;
    Call([&](TPresenterTransitDetail& p) { p.EditConduitAndRefresh(row); });
  }
  if (lvwConduits->isVisible()) lvwConduits->setFocus();
}

void TfrmTransitDetail::DeleteSelectedConduit() {
  if (!Forwarding()) return;
  CommitPendingEdits();
  const int row = SelectedConduitgroup();
  if (row < 0) return;
  if (FDialogs.AskYesNo("Are you sure you want to delete this record?", "Confirm") != mrYes) return;
  Call([&](TPresenterTransitDetail& p) { p.DeleteConduit(row); });
}

// ---------------------------------------------------------------- closing

void TfrmTransitDetail::closeEvent(QCloseEvent* event) {
  if (FForced || FInCloseQuery || !FPresenter) {
    event->accept();
    return;
  }
  auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
  if (sub) {
    if (sub->isMinimized()) sub->showNormal();
    sub->show();
    if (QMdiArea* area = sub->mdiArea()) area->setActiveSubWindow(sub);
  }
  raise();
  // A field being edited hands its value on first.
  pgcTransitdata->setFocus();
  CommitPendingEdits();
  if (!btnSave->isEnabled()) {
    event->accept();
    return;
  }
  event->ignore();
  FInCloseQuery = true;
  FCloseRequested = false;
  Call([](TPresenterTransitDetail& p) { p.AskSaveOnClose(); });
  FInCloseQuery = false;
  if (FCloseRequested) event->accept();
}

void TfrmTransitDetail::ForceCloseForm() {
  btnSave->setEnabled(false);
  FForced = true;
  FLoaded = false;
  tmrRedrawTransitAfterChange->stop();
  tmrRedrawTransitAfterResize->stop();
  if (FInCloseQuery) {
    // The close being asked about goes ahead.
    FCloseRequested = true;
    return;
  }
  // Closed once the current event is done, so nothing still running in the
  // presenter finds its window gone.
  QTimer::singleShot(0, this, [this] {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
      sub->close();
    else
      close();
  });
}

// ---------------------------------------------------------------- the view operations

TBitmap& TfrmTransitDetail::ImageCanvas() { return imgTransit->Bitmap; }

TPoint TfrmTransitDetail::PositionEditForm() {
  const QPoint at = lvwConduits->mapToGlobal(QPoint(-18, lvwConduits->height() + 4));
  return TPoint{at.x(), at.y()};
}

int TfrmTransitDetail::SelectedConduitgroup() {
  const QList<QTreeWidgetItem*> selected = lvwConduits->selectedItems();
  if (selected.isEmpty()) return -1;
  return lvwConduits->indexOfTopLevelItem(selected.front());
}

void TfrmTransitDetail::ActivateTransitname() {
  pgcTransitdata->setCurrentIndex(0);
  edtTransitName->setFocus();
  edtTransitName->selectAll();
}

void TfrmTransitDetail::Fill(QComboBox* list, const TStringList& items) {
  bool same = list->count() == int(items.size());
  for (int i = 0; same && i < list->count(); ++i) same = S(list->itemText(i)) == items[size_t(i)];
  if (!same) {
    const QSignalBlocker blocker(list);
    list->clear();
    for (const std::string& item : items) list->addItem(Q(item));
  }
  // A list that offers no choice is light grey; the others have the window
  // colour of a field (the plain button face would hardly differ from grey).
  QPalette palette = QApplication::palette(list);
  const QColor back = items.size() < 2 ? QColor(0xE8, 0xE8, 0xE8) : palette.color(QPalette::Active, QPalette::Base);
  palette.setColor(QPalette::Button, back);
  palette.setColor(QPalette::Base, back);
  list->setPalette(palette);
}

void TfrmTransitDetail::Select(QComboBox* list, const std::string& text) {
  const int index = list->findText(Q(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index < 0) throw TError("Value " + text + " not found in combobox " + S(list->objectName()));
  if (list->currentIndex() != index) {
    const QSignalBlocker blocker(list);
    list->setCurrentIndex(index);
  }
}

void TfrmTransitDetail::FillHarvantProducts(const TStringList& items) { Fill(cboFillSystem, items); }
void TfrmTransitDetail::FillClasses(const TStringList& items) { Fill(cboClassification, items); }
void TfrmTransitDetail::FillConduitTypes(const TStringList& items) { Fill(cboDefaultConduitType, items); }
void TfrmTransitDetail::FillSealantCartridges(const TStringList& items) { Fill(cboSealantCartridge, items); }
void TfrmTransitDetail::FillSealantLayers(const TStringList& items) { Fill(cboSealantLayer, items); }
void TfrmTransitDetail::FillSubsystems(const TStringList& items) { Fill(cboFillSubsystem, items); }

void TfrmTransitDetail::GetImageSize(int& width, int& height) {
  const QSize size = imgTransit->DeviceSize();
  width = size.width();
  height = size.height();
}

void TfrmTransitDetail::HideForTemplate(bool isTemplate) {
  const bool show = !isTemplate;
  for (QWidget* w : std::initializer_list<QWidget*>{
           lblTransitsInProject, edsInProject, btnMaterialReport, lblType, cboFillSystem, cboDefaultConduitType,
           lblDepth, edsDepth, lblDepthUnit, lblConduitAreaC, lblConduitArea, lblConduitSleeveAreaC,
           lblConduitSleeveArea, lblStatConduitsC, lblStatConduits, lblStatODs, mmoDisclaimer, btnTemplate,
           btnResize, lblFillingRateC, lblFillingRate, cboClassification, lblClassification, cboSealantCartridge,
           lblCartridge, cboSealantLayer, edsSparePerc, lblSpareCaption, lblSpareUnit})
    if (w->isVisibleTo(w->parentWidget()) != show) w->setVisible(show);
  pgcTransitdata->setTabVisible(1, show);
  pgcTransitdata->setTabVisible(3, show);
  lblTemplateNote->setVisible(isTemplate);
}

void TfrmTransitDetail::PrepareTransitImageForDrawing(int width, int height) {
  imgTransit->Bitmap.SetSize(width, height);
  const QColor c = grpDrawing->palette().color(QPalette::Window);
  imgTransit->Bitmap.Fill(TColour((c.red() << 16) | (c.green() << 8) | c.blue()));
}

void TfrmTransitDetail::SelectItemInConduitlist(int index) {
  QTreeWidgetItem* item = lvwConduits->topLevelItem(index);
  if (!item) return;
  const QSignalBlocker blocker(lvwConduits);
  lvwConduits->setCurrentItem(item);
  item->setSelected(true);
  lvwConduits->scrollToItem(item);
}

void TfrmTransitDetail::SetHarvantProduct(TFillSystem value) {
  Select(cboFillSystem, FillSystemToText(value));
  const bool moxel = value == fsKovaMoxel;
  if (moxel) SetShape(true);
  rdoRectangular->setEnabled(!moxel);
  cboFillSubsystem->setVisible(moxel);
}

void TfrmTransitDetail::SetBusy(bool busy) {
  if (busy == FBusy) return;
  FBusy = busy;
  FHoldRedraw = busy;
  auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
  if (busy) {
    // Disabling would drop the keyboard focus out of the window; when the
    // frame is activated again (after a box, say) the first window in the
    // frame would then take it and come to the front. The focus waits on
    // the window's own frame instead.
    QWidget* focus = QApplication::focusWidget();
    FFocusBeforeBusy = focus && isAncestorOf(focus) ? focus : nullptr;
    if (!FFocusBeforeBusy && window()->focusWidget() && isAncestorOf(window()->focusWidget()))
      FFocusBeforeBusy = window()->focusWidget();
    if (sub) sub->setFocus(Qt::OtherFocusReason);
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    setEnabled(true);
    QApplication::restoreOverrideCursor();
    if (FFocusBeforeBusy && FFocusBeforeBusy->isEnabled() && FFocusBeforeBusy->isVisible())
      FFocusBeforeBusy->setFocus(Qt::OtherFocusReason);
    else if (sub && sub->hasFocus())
      pgcTransitdata->setFocus(Qt::OtherFocusReason);
    FFocusBeforeBusy = nullptr;
  }
}

void TfrmTransitDetail::SetClassification(TClassification value) {
  Select(cboClassification, ClassificationToText(value));
  lblWarningSize->setText(Q(ClassificationHint(value)));
}

void TfrmTransitDetail::SetConduitType(TConduitType value) { Select(cboDefaultConduitType, ConduitTypeToText(value)); }

void TfrmTransitDetail::SetDisclaimerText(const TStringList& lines) {
  QStringList text;
  for (const std::string& line : lines) text << Q(line);
  const QString joined = text.join(QLatin1Char('\n'));
  if (mmoDisclaimer->toPlainText() != joined) mmoDisclaimer->setPlainText(joined);
}

void TfrmTransitDetail::SetFillingRate(const std::string& text, TColor colour) {
  lblFillingRate->setText(Q(text));
  const QColor c = ColourOf(colour, this);
  SetTextColour(lblFillingRate, c);
  SetTextColour(lblFillingRateC, c);
  const bool shown = text != "-";
  lblFillingRate->setEnabled(shown);
  lblFillingRateC->setEnabled(shown);
}

void TfrmTransitDetail::SetFillSubsystem(TFillSubsystem value) {
  Select(cboFillSubsystem, FillSubsystemToText(value));
}

void TfrmTransitDetail::SetRedrawTimer(bool on) {
  if (on)
    tmrRedrawTransitAfterChange->start();
  else
    tmrRedrawTransitAfterChange->stop();
}

void TfrmTransitDetail::SetSealantCartridge(TSealantCartridge value) {
  Select(cboSealantCartridge, SealantCartridgeToText(value));
}

void TfrmTransitDetail::SetSealantLayer(TSealantLayer value) { Select(cboSealantLayer, SealantLayerToText(value)); }

void TfrmTransitDetail::SetShape(bool round) {
  {
    const QSignalBlocker a(rdoRound), b(rdoRectangular);
    (round ? rdoRound : rdoRectangular)->setChecked(true);
  }
  for (QWidget* w : std::initializer_list<QWidget*>{lblHeight, edsHeight, lblHeightUnit, lblRadius, edsRadius, lblRadiusUnit}) w->setVisible(!round);
  lblWidth->setText(round ? QStringLiteral("Diameter:") : QStringLiteral("Width:"));
  const int top = round ? 19 : 12;
  edsWidth->move(edsWidth->x(), top);
  lblWidth->move(lblWidth->x(), top + 4);
  lblWidthUnit->move(lblWidthUnit->x(), top + 4);
}

void TfrmTransitDetail::SetTabPage(int index) { pgcTransitdata->setCurrentIndex(index); }

void TfrmTransitDetail::SetTransitname(const std::string& name, bool isTemplate) {
  FShownName = name;
  if (S(edtTransitName->text()) != name) {
    const QSignalBlocker blocker(edtTransitName);
    edtTransitName->setText(Q(name));
  }
  setWindowTitle(Q((isTemplate ? "Template '" : "Transit '") + name + "'"));
}

void TfrmTransitDetail::SetWarning(const std::string& text) {
  FWarningText = MessageText(text);
  lblWarning->setText(FWarningText);
  if (lblWarning->height() != WarningHeight(lblWarning->width())) LayoutDrawing();
  // A new warning shows at once; the blink takes over from there.
  if (FWarningText.isEmpty()) {
    lblWarning->hide();
  } else if (!lblWarning->isVisibleTo(this)) {
    FBlinkCount = 0;
    lblWarning->show();
  }
  btnMaterialReport->setEnabled(text.empty());
}

void TfrmTransitDetail::ShowDepthAlert(const std::string& text) {
  if (!FDepthAlertArmed) return;
  FDepthAlertArmed = false;
  // The model is half changed while the box is up: no drawing meanwhile.
  const bool hold = FHoldRedraw;
  FHoldRedraw = true;
  FDialogs.ShowMessage(text, "");
  FHoldRedraw = hold;
}

void TfrmTransitDetail::ShowImage() {
  imgTransit->Present();
  imgTransit->show();
}

void TfrmTransitDetail::SetDepthWarning(const std::string& text) {
  imgDepthWarning->setToolTip(MessageText(text));
  imgDepthWarning->setVisible(!text.empty());
}

void TfrmTransitDetail::SetComments(const std::string& text) {
  FShownComments = text;
  if (StoredText(mmoComments->toPlainText()) != text) {
    const QSignalBlocker blocker(mmoComments);
    mmoComments->setPlainText(MemoText(text));
  }
}

void TfrmTransitDetail::SetLabelsPipeCable(const std::string& plural, const std::string& singular) {
  pgcTransitdata->setTabText(1, Q(plural));
  lblStatConduitsC->setText(Q(plural + ":"));
  lblConduitAreaC->setText(Q(singular + " area:"));
  lblConduitSleeveAreaC->setText(Q(singular + "+sleeve area:"));
  lblConduitSleeveSpareAreaC->setText(Q(singular + "+sleeve+spare area:"));
}

void TfrmTransitDetail::SetConduitSleeveSpare(const std::string& text) {
  lblConduitSleeveSpareArea->setText(Q(text));
  lblConduitSleeveSpareAreaC->setVisible(!text.empty());
}

void TfrmTransitDetail::SetValidationMessages(const TStringList& lines) {
  QStringList text;
  for (const std::string& line : lines) text << Q(line);
  const QString joined = text.join(QLatin1Char('\n'));
  if (mmoValidationMessages->toPlainText() != joined) mmoValidationMessages->setPlainText(joined);
  const bool show = !lines.empty();
  if (mmoValidationMessages->isVisibleTo(this) != show) {
    mmoValidationMessages->setVisible(show);
    LayoutControls();
  }
}

void TfrmTransitDetail::SetConduitlistLength(int count) {
  const QSignalBlocker blocker(lvwConduits);
  lvwConduits->clearSelection();
  lvwConduits->setCurrentItem(nullptr);
  while (lvwConduits->topLevelItemCount() > count) delete lvwConduits->takeTopLevelItem(count);
  while (lvwConduits->topLevelItemCount() < count) {
    auto* item = new QTreeWidgetItem(lvwConduits);
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
  }
}

void TfrmTransitDetail::ShowConduitlistStats(int64_t totalConduits, int groupCount) {
  lblStatConduits->setText(QString::number(totalConduits));
  lblStatODs->setText(QStringLiteral("(OD's: %1)").arg(groupCount));
}

void TfrmTransitDetail::SetSparePerc(bool applicable, bool isTemplate, double spare) {
  edsSparePerc->ShowValue(spare);
  for (QWidget* w : {static_cast<QWidget*>(edsSparePerc), static_cast<QWidget*>(lblSpareCaption),
                     static_cast<QWidget*>(lblSpareUnit)})
    w->setEnabled(applicable);
  imgSpareMessage->setVisible(spare > 0);
  lblRemarkSpare->setVisible(!applicable && !isTemplate);
}

void TfrmTransitDetail::ConfigureSizeSpinners(int decimals, int pageSize, double increment) {
  for (TSpinField* field : {edsWidth, edsHeight, edsRadius, edsDepth}) {
    const QSignalBlocker blocker(field);
    field->setDecimals(decimals);
    field->setSingleStep(increment);
    field->SetPageStep(pageSize);
  }
}

void TfrmTransitDetail::EnableUndoRedoSave(bool undo, bool redo, bool save) {
  btnUndo->setEnabled(undo);
  btnRedo->setEnabled(redo);
  btnSave->setEnabled(save);
  btnSaveAs->setEnabled(save);
}

void TfrmTransitDetail::SetCreatedModified(const std::string& createdBy, const std::string& modifiedBy,
                                           TDateTime created, TDateTime modified) {
  lblCreated->setText(Q(FormatTimestamp(created)));
  lblCreatedBy->setText(Q(createdBy));
  lblLastModified->setText(Q(FormatTimestamp(modified)));
  lblLastModifiedBy->setText(Q(modifiedBy));
  // A name too long for the page is cut at the group's edge; the hint has it whole.
  lblCreatedBy->setToolTip(Q(createdBy));
  lblLastModifiedBy->setToolTip(Q(modifiedBy));
}

void TfrmTransitDetail::SetTransitDimensions(int32_t inProject, double width, double height, double radius,
                                             double depth) {
  const double factor = LengthUnitFactor();
  edsInProject->ShowValue(inProject);
  edsWidth->ShowValue(width / factor);
  edsHeight->ShowValue(height / factor);
  edsRadius->ShowValue(radius / factor);
  edsDepth->ShowValue(depth / factor);
  const QString unit = Q(LengthUnitName());
  for (QLabel* label : {lblWidthUnit, lblHeightUnit, lblRadiusUnit, lblDepthUnit}) label->setText(unit);
}

void TfrmTransitDetail::SetAreas(double available, double conduit, double conduitSleeve,
                                 double conduitSleeveSpare) {
  const QString unit = QStringLiteral(" ") + Q(AreaUnitName());
  lblAvailableArea->setText(Q(FormatArea(available)) + unit);
  lblConduitArea->setText(Q(FormatArea(conduit)) + unit);
  lblConduitSleeveArea->setText(Q(FormatArea(conduitSleeve)) + unit);
  auto colour = [&](double value, QLabel* caption, QLabel* label) {
    const QColor c = value > available ? QColor(Qt::red) : WindowTextColour(label);
    SetTextColour(caption, c);
    SetTextColour(label, c);
  };
  colour(conduit, lblConduitAreaC, lblConduitArea);
  colour(conduitSleeve, lblConduitSleeveAreaC, lblConduitSleeveArea);
  colour(conduitSleeveSpare, lblConduitSleeveSpareAreaC, lblConduitSleeveSpareArea);
}

void TfrmTransitDetail::UpdateConduitlistItem(int index, const TConduitGroup& group, bool selected) {
  QTreeWidgetItem* item = lvwConduits->topLevelItem(index);
  if (!item) return;
  item->setText(1, QString::number(group.Amount));
  item->setText(2, Q(FormatLength(group.OuterDiameter)));
  if (selected) SelectItemInConduitlist(index);
}
