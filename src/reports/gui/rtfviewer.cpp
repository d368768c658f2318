#include "reports/gui/rtfviewer.h"

#include <QAction>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QFileDialog>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "platform/gui/qtext.h"
#include "platform/gui/qtservices.h"
#include "core/errors.h"
#include "reports/gui/reportdelivery.h"
#include "reports/spreadsheet.h"

namespace {
constexpr int kGap = 16;  // grey space round the pages, in pixels
constexpr int kMaxStep = 10;
}  // namespace

TReportPageView::TReportPageView(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName(QStringLiteral("ReportPages"));
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAutoFillBackground(false);
  verticalScrollBar()->setSingleStep(20);
  horizontalScrollBar()->setSingleStep(20);
}

void TReportPageView::SetDocument(const TReportDocument* document) {
  Document = document;
  Selection = QTextCursor();
  UpdateScrollBars();
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  viewport()->update();
}

void TReportPageView::SetZoom(double factor) {
  // The point in the middle of the view stays in the middle.
  QScrollBar* v = verticalScrollBar();
  QScrollBar* h = horizontalScrollBar();
  const double oldFactor = Factor;
  const double cy = (v->value() + viewport()->height() / 2.0) / oldFactor;
  const double cx = (h->value() + viewport()->width() / 2.0) / oldFactor;
  Factor = factor;
  UpdateScrollBars();
  v->setValue(qRound(cy * Factor - viewport()->height() / 2.0));
  h->setValue(qRound(cx * Factor - viewport()->width() / 2.0));
  viewport()->update();
}

QSizeF TReportPageView::ContentSize() const {
  if (!Document) return {};
  const QSizeF page = Document->PageSize() * Factor;
  const int pages = Document->PageCount();
  return {page.width() + 2 * kGap, pages * (page.height() + kGap) + kGap};
}

QRectF TReportPageView::PageRect(int page) const {
  const QSizeF size = Document ? Document->PageSize() * Factor : QSizeF();
  const double left = std::max<double>(kGap, (viewport()->width() - size.width()) / 2);
  return {left, kGap + page * (size.height() + kGap), size.width(), size.height()};
}

void TReportPageView::UpdateScrollBars() {
  const QSizeF content = ContentSize();
  const QSize view = viewport()->size();
  verticalScrollBar()->setRange(0, std::max(0, int(std::ceil(content.height())) - view.height()));
  verticalScrollBar()->setPageStep(view.height());
  horizontalScrollBar()->setRange(0, std::max(0, int(std::ceil(content.width())) - view.width()));
  horizontalScrollBar()->setPageStep(view.width());
}

void TReportPageView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void TReportPageView::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {
    const int steps = event->angleDelta().y() / 120;
    if (steps) emit ZoomWheel(steps);
    event->accept();
    return;
  }
  QAbstractScrollArea::wheelEvent(event);
}

void TReportPageView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.fillRect(event->rect(), QColor(128, 128, 128));
  if (!Document) return;
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
  const QRectF visible = QRectF(event->rect()).translated(scroll);
  const QSizeF page = Document->PageSize() * Factor;
  // Only the pages that meet the visible part.
  const int firstPage = std::max(0, int((visible.top() - kGap) / (page.height() + kGap)));
  for (int i = firstPage; i < Document->PageCount(); ++i) {
    const QRectF rect = PageRect(i);
    if (rect.top() > visible.bottom()) break;
    const QRectF onScreen = rect.translated(-scroll);
    painter.fillRect(onScreen.translated(3, 3), QColor(90, 90, 90));
    painter.fillRect(onScreen, Qt::white);
    const QRectF part = rect.intersected(visible);
    if (part.isEmpty()) continue;
    painter.save();
    painter.translate(onScreen.topLeft());
    painter.scale(Factor, Factor);
    Document->PaintPage(painter, i, QRectF((part.topLeft() - rect.topLeft()) / Factor, part.size() / Factor),
                        &Selection);
    painter.restore();
  }
}

int TReportPageView::PositionAt(const QPointF& point) const {
  if (!Document) return -1;
  const QPointF content = point + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
  const QSizeF page = Document->PageSize();
  const int index = std::clamp(int((content.y() - kGap) / (page.height() * Factor + kGap)), 0,
                               std::max(0, Document->PageCount() - 1));
  const QPointF onPage = (content - PageRect(index).topLeft()) / Factor;
  return Document->Document()->documentLayout()->hitTest(onPage + QPointF(0, index * page.height()), Qt::FuzzyHit);
}

void TReportPageView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !Document) return QAbstractScrollArea::mousePressEvent(event);
  const int at = PositionAt(event->position());
  Selection = QTextCursor(Document->Document());
  if (at >= 0) Selection.setPosition(at);
  viewport()->update();
}

void TReportPageView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton) || Selection.isNull()) return QAbstractScrollArea::mouseMoveEvent(event);
  const int at = PositionAt(event->position());
  if (at >= 0) Selection.setPosition(at, QTextCursor::KeepAnchor);
  viewport()->update();
}

void TReportPageView::SelectAll() {
  if (!Document) return;
  Selection = QTextCursor(Document->Document());
  Selection.select(QTextCursor::Document);
  viewport()->update();
}

QString TReportPageView::SelectedText() const {
  QString text = Selection.isNull() ? QString() : Selection.selectedText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  text.replace(QChar::LineSeparator, QLatin1Char('\n'));
  text.remove(QChar::ObjectReplacementCharacter);
  return text;
}

void TReportPageView::Copy() const {
  const QString text = SelectedText();
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void TReportPageView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) return Copy();
  if (event->matches(QKeySequence::SelectAll)) return SelectAll();
  if (event->key() == Qt::Key_Home || event->matches(QKeySequence::MoveToStartOfDocument))
    return verticalScrollBar()->setValue(0);
  if (event->key() == Qt::Key_End || event->matches(QKeySequence::MoveToEndOfDocument))
    return verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  QAbstractScrollArea::keyPressEvent(event);
}

TfrmRTFviewer::TfrmRTFviewer(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TfrmRTFviewer"));
  setWindowTitle(QStringLiteral("RTF-Viewer"));
  setMinimumSize(400, 250);
  Tools = new QToolBar(this);
  Tools->setObjectName(QStringLiteral("tbrViewer"));
  Tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  Tools->setIconSize(QSize(24, 24));
  QStyle* s = style();
  auto add = [&](const char* name, const QString& text, const char* theme, QStyle::StandardPixmap fallback,
                 QKeySequence key, void (TfrmRTFviewer::*slot)()) {
    QAction* a = Tools->addAction(QIcon::fromTheme(QLatin1String(theme), s->standardIcon(fallback)), text);
    a->setObjectName(QLatin1String(name));
    a->setShortcut(key);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    a->setToolTip(text + (key.isEmpty() ? QString() : QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + QLatin1Char(')')));
    connect(a, &QAction::triggered, this, slot);
    addAction(a);
    return a;
  };
  actSave = add("actSave", QStringLiteral("Save"), "document-save", QStyle::SP_DialogSaveButton, QKeySequence::Save,
                &TfrmRTFviewer::Save);
  actPrint = add("actPrint", QStringLiteral("Print"), "document-print", QStyle::SP_FileDialogDetailedView,
                 QKeySequence::Print, &TfrmRTFviewer::Print);
  actZoomIn = add("actZoomIn", QStringLiteral("Zoom In"), "zoom-in", QStyle::SP_ArrowUp, QKeySequence::ZoomIn,
                  &TfrmRTFviewer::ZoomIn);
  actZoomOut = add("actZoomOut", QStringLiteral("Zoom Out"), "zoom-out", QStyle::SP_ArrowDown, QKeySequence::ZoomOut,
                   &TfrmRTFviewer::ZoomOut);
  actSavePdf = add("actSavePdf", QStringLiteral("Save as PDF"), "application-pdf", QStyle::SP_FileIcon, QKeySequence(),
                   &TfrmRTFviewer::SavePdf);
  actSaveSpreadsheet = add("actSaveSpreadsheet", QStringLiteral("Save as spreadsheet"), "x-office-spreadsheet",
                           QStyle::SP_FileIcon, QKeySequence(), &TfrmRTFviewer::SaveSpreadsheet);
  // The preview hangs under the Print button.
  actPreview = new QAction(QStringLiteral("Print Preview..."), this);
  actPreview->setObjectName(QStringLiteral("actPreview"));
  connect(actPreview, &QAction::triggered, this, &TfrmRTFviewer::PrintPreview);
  auto* printMenu = new QMenu(this);
  printMenu->addAction(actPreview);
  actPrint->setMenu(printMenu);
  if (auto* button = qobject_cast<QToolButton*>(Tools->widgetForAction(actPrint)))
    button->setPopupMode(QToolButton::MenuButtonPopup);

  PageView = new TReportPageView(this);
  connect(PageView, &TReportPageView::ZoomWheel, this, [this](int steps) {
    for (; steps > 0 && Step < kMaxStep; --steps) ZoomIn();
    for (; steps < 0 && Step > 0; ++steps) ZoomOut();
  });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Tools);
  layout->addWidget(PageView, 1);
  setFocusProxy(PageView);
  // Wide enough for a whole A4 page at 100 %, with the grey round it and
  // the scroll bar (the frame may make it smaller on a small screen).
  const double a4 = 11906 / 15.0;  // the report's paper, in pixels
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, PageView);
  resize(qCeil(a4) + 2 * kGap + scrollBar + 2 * PageView->frameWidth() + 4, 900);

  ChooseSaveFile = [this](const QString& caption, const QString& filter, const QString& suffix) {
    QFileDialog dialog(this, caption, LastFolder(TFolderKind::Reports), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    RememberFolder(TFolderKind::Reports, dialog.selectedFiles().first());
    return dialog.selectedFiles().first();
  };
  ApplyZoom();
}

TfrmRTFviewer::~TfrmRTFviewer() {
  PageView->SetDocument(nullptr);
}

int TfrmRTFviewer::ZoomPercentOf(int step) {
  // A hair over, so that 1.2 squared gives 144 and not 143.99...
  return static_cast<int>(std::pow(1.2, step) * 100 + 1e-7);
}

void TfrmRTFviewer::LoadReport(const std::string& bytes) {
  auto document = std::make_unique<TReportDocument>(bytes);
  PageView->SetDocument(nullptr);
  Document = std::move(document);
  Bytes = bytes;
  SheetData.reset();
  Step = 0;
  ApplyZoom();
  PageView->SetDocument(Document.get());
}

void TfrmRTFviewer::LoadReport(const std::string& bytes, const TReportSheets& sheets) {
  LoadReport(bytes);
  SheetData = std::make_unique<TReportSheets>(sheets);
  ApplyZoom();
}

void TfrmRTFviewer::ApplyZoom() {
  PageView->SetZoom(ZoomPercent() / 100.0);
  const bool loaded = Document != nullptr;
  actZoomOut->setEnabled(Step > 0);
  actZoomIn->setEnabled(Step < kMaxStep);
  actSave->setEnabled(loaded);
  actPrint->setEnabled(loaded);
  actPreview->setEnabled(loaded);
  actSavePdf->setEnabled(loaded);
  actSaveSpreadsheet->setEnabled(loaded && SheetData != nullptr);
}

void TfrmRTFviewer::ZoomIn() {
  if (Step >= kMaxStep) return;
  ++Step;
  ApplyZoom();
}

void TfrmRTFviewer::ZoomOut() {
  if (Step <= 0) return;
  --Step;
  ApplyZoom();
}

void TfrmRTFviewer::SaveTo(const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(Bytes.data(), qint64(Bytes.size())) != qint64(Bytes.size()) || !file.commit())
    throw TError("Cannot write " + S(path) + ": " + S(file.errorString()));
}

void TfrmRTFviewer::Save() {
  if (!Document) return;
  const QString path = ChooseSaveFile(QStringLiteral("Save"), QStringLiteral("Rich Text (*.rtf)"), QStringLiteral("rtf"));
  if (path.isEmpty()) return;
  try {
    SaveTo(path);
  } catch (const std::exception& e) {
    ShowErrorBox(this, "Error saving the report:", e.what());
  }
}

void TfrmRTFviewer::SavePdf() {
  if (!Document) return;
  const QString path = ChooseSaveFile(QStringLiteral("Save as PDF"), QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf"));
  if (path.isEmpty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    Document->WritePdf(path, QStringLiteral("RTF output"));
    QApplication::restoreOverrideCursor();
  } catch (const std::exception& e) {
    QApplication::restoreOverrideCursor();
    ShowErrorBox(this, "Error saving the report:", e.what());
  }
}

void TfrmRTFviewer::SaveSpreadsheet() {
  if (!Document || !SheetData) return;
  const QString path = ChooseSaveFile(QStringLiteral("Save as spreadsheet"),
                                      QStringLiteral("Excel workbook (*.xlsx);;CSV, comma separated (*.csv)"),
                                      QStringLiteral("xlsx"));
  if (path.isEmpty()) return;
  WriteSpreadsheetTold(*SheetData, path, this);
}

void TfrmRTFviewer::SetUpPrinter(QPrinter& printer) const {
  printer.setDocName(QStringLiteral("RTF output"));
  printer.setFullPage(true);
  printer.setPageLayout(Document->PageLayout());
  printer.setFromTo(0, 0);
}

bool TfrmRTFviewer::PrintTo(QPrinter& printer) const {
  if (!Document) return false;
  const bool range = printer.printRange() == QPrinter::PageRange;
  return Document->Render(printer, range ? printer.fromPage() : 1, range ? printer.toPage() : 0);
}

void TfrmRTFviewer::Print() {
  if (!Document) return;
  QPrinter printer(QPrinter::HighResolution);
  SetUpPrinter(printer);
  QPrintDialog dialog(&printer, this);
  dialog.setObjectName(QStringLiteral("PrintDialog"));
  dialog.setMinMax(1, Document->PageCount());
  if (dialog.exec() != QDialog::Accepted) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool ok = PrintTo(printer);
  QApplication::restoreOverrideCursor();
  if (!ok) ShowErrorBox(this, "Error printing the report:", "The printer could not be used.");
}

void TfrmRTFviewer::PrintPreview() {
  if (!Document) return;
  QPrinter printer(QPrinter::HighResolution);
  SetUpPrinter(printer);
  QPrintPreviewDialog preview(&printer, this);
  preview.setObjectName(QStringLiteral("PrintPreview"));
  preview.setWindowTitle(QStringLiteral("RTF output"));
  connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { PrintTo(*p); });
  preview.exec();
}
