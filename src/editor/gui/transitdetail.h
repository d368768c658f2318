#pragma once
#include <QPointer>
#include <QWidget>
#include <memory>

#include "editor/presenter.h"
#include "editor/transitview.h"
#include "editor/gui/editorservices.h"

class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class TSpinField;
class TTransitPicture;

// The transit editor window: one per open transit or template. It holds no
// design logic; input goes to its presenter and what the presenter decides
// comes back through the view operations.
class TfrmTransitDetail : public QWidget, public TfrmAbstractTransitDetail {
public:
  explicit TfrmTransitDetail(QWidget* parent = nullptr);
  ~TfrmTransitDetail() override;

  // TfrmMDIchild
  void Init(int32_t id) override;
  void Notify(uint8_t code, int32_t id) override;
  std::string ClassName() const override { return "TfrmTransitDetail"; }

  // The view operations.
  TBitmap& ImageCanvas() override;
  TPoint PositionEditForm() override;
  int32_t ViewID() const override { return TfrmMDIchild::ViewID; }
  int SelectedConduitgroup() override;
  void ActivateTransitname() override;
  void FillHarvantProducts(const TStringList& items) override;
  void FillClasses(const TStringList& items) override;
  void FillConduitTypes(const TStringList& items) override;
  void FillSealantCartridges(const TStringList& items) override;
  void FillSealantLayers(const TStringList& items) override;
  void FillSubsystems(const TStringList& items) override;
  void GetImageSize(int& width, int& height) override;
  void HideForTemplate(bool isTemplate) override;
  void PrepareTransitImageForDrawing(int width, int height) override;
  void SelectItemInConduitlist(int index) override;
  void SetHarvantProduct(TFillSystem value) override;
  void SetBusy(bool busy) override;
  void SetClassification(TClassification value) override;
  void SetConduitType(TConduitType value) override;
  void SetDisclaimerText(const TStringList& lines) override;
  void SetFillingRate(const std::string& text, TColor colour) override;
  void SetFillSubsystem(TFillSubsystem value) override;
  void SetRedrawTimer(bool on) override;
  void SetSealantCartridge(TSealantCartridge value) override;
  void SetSealantLayer(TSealantLayer value) override;
  void SetShape(bool round) override;
  void SetTabPage(int index) override;
  void SetTransitname(const std::string& name, bool isTemplate) override;
  void SetWarning(const std::string& text) override;
  void ShowDepthAlert(const std::string& text) override;
  void ShowImage() override;
  void SetDepthWarning(const std::string& text) override;
  void ForceCloseForm() override;
  void SetComments(const std::string& text) override;
  void SetLabelsPipeCable(const std::string& plural, const std::string& singular) override;
  void SetConduitSleeveSpare(const std::string& text) override;
  void SetValidationMessages(const TStringList& lines) override;
  void SetConduitlistLength(int count) override;
  void ShowConduitlistStats(int64_t totalConduits, int groupCount) override;
  void SetSparePerc(bool applicable, bool isTemplate, double spare) override;
  void ConfigureSizeSpinners(int decimals, int pageSize, double increment) override;
  void EnableUndoRedoSave(bool undo, bool redo, bool save) override;
  void SetCreatedModified(const std::string& createdBy, const std::string& modifiedBy, TDateTime created,
                          TDateTime modified) override;
  void SetTransitDimensions(int32_t inProject, double width, double height, double radius, double depth) override;
  void SetAreas(double available, double conduit, double conduitSleeve, double conduitSleeveSpare) override;
  void UpdateConduitlistItem(int index, const TConduitGroup& group, bool selected) override;

  // Hands every value being edited (a spun or typed number, the name, the
  // comments) to the presenter; each toolbar action does so first.
  void CommitPendingEdits();
  // The header row: the place for further buttons beside "Materials".
  QHBoxLayout* HeaderLayout() const { return Header; }
  TPresenterTransitDetail* Presenter() const { return FPresenter.get(); }
  bool DepthAlertArmed() const { return FDepthAlertArmed; }
  // One tick of the warning's blink timer.
  void BlinkTick();
  QSize sizeHint() const override { return QSize(DesignWidth, DesignHeight); }

  static constexpr int DesignWidth = 796;
  static constexpr int DesignHeight = 523;

protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildControls();
  void Wire();
  void LayoutControls();
  void LayoutDrawing();
  // The height the warning above the drawing needs at that width.
  int WarningHeight(int width) const;
  void StaleDrawing();
  // Runs an operation of the presenter, reporting an error in a box.
  template <class F>
  void Call(F&& operation);
  // User input may go to the presenter now.
  bool Forwarding() const;
  void Fill(QComboBox* list, const TStringList& items);
  void Select(QComboBox* list, const std::string& text);
  void ListAction(int key);
  void DeleteSelectedConduit();
  void Toolbar(void (TPresenterTransitDetail::*action)());

  std::unique_ptr<TPresenterTransitDetail> FPresenter;
  TEditorDialogs FDialogs{this};
  TEditorConduitDialog FConduitDialog{this};
  TEditorTemplateChooser FTemplateChooser;
  TEditorReportDialog FReportDialog;
  TEditorWindowFrame FWindowFrame{this};

  bool FLoaded = false;
  bool FDepthAlertArmed = true;
  int FBlinkCount = 0;
  int FCallDepth = 0;
  bool FBusy = false;
  // Where the keyboard was when the window became busy.
  QPointer<QWidget> FFocusBeforeBusy;
  bool FHoldRedraw = false;
  bool FForced = false;
  bool FInCloseQuery = false;
  bool FCloseRequested = false;
  bool FShownOnce = false;
  int32_t FProjectID = 0;
  std::string FShownName, FShownComments;
  QString FWarningText;

public:
  // The controls, by the names they carry as object names.
  QHBoxLayout* Header = nullptr;
  QWidget* pnlHeader = nullptr;
  QLabel* lblName = nullptr;
  QLineEdit* edtTransitName = nullptr;
  QLabel* lblTransitsInProject = nullptr;
  TSpinField* edsInProject = nullptr;
  QPushButton* btnMaterialReport = nullptr;
  QPushButton* btnExportDrawing = nullptr;
  QGroupBox* grpDrawing = nullptr;
  TTransitPicture* imgTransit = nullptr;
  QLabel* lblWarning = nullptr;
  QLabel* lblWarningSize = nullptr;
  QGroupBox* grpDimensions = nullptr;
  QRadioButton* rdoRound = nullptr;
  QRadioButton* rdoRectangular = nullptr;
  QLabel *lblWidth = nullptr, *lblHeight = nullptr, *lblRadius = nullptr;
  TSpinField *edsWidth = nullptr, *edsHeight = nullptr, *edsRadius = nullptr;
  QLabel *lblWidthUnit = nullptr, *lblHeightUnit = nullptr, *lblRadiusUnit = nullptr;
  QLabel* lblSpareCaption = nullptr;
  TSpinField* edsSparePerc = nullptr;
  QLabel* lblSpareUnit = nullptr;
  QLabel* imgSpareMessage = nullptr;
  QLabel *lblFillingRateC = nullptr, *lblFillingRate = nullptr;
  QPushButton *btnResize = nullptr, *btnTemplate = nullptr;
  QTabWidget* pgcTransitdata = nullptr;
  QWidget *tabTransit = nullptr, *tabConduits = nullptr, *tabComments = nullptr, *tabDisclaimer = nullptr;
  QGroupBox *grpTransitUpper = nullptr, *grpTransitLower = nullptr;
  QGroupBox *grpConduitsUpper = nullptr, *grpConduitsLower = nullptr;
  QLabel *lblType = nullptr, *lblClassification = nullptr, *lblCartridge = nullptr;
  QComboBox *cboFillSystem = nullptr, *cboDefaultConduitType = nullptr, *cboFillSubsystem = nullptr;
  QComboBox *cboClassification = nullptr, *cboSealantCartridge = nullptr, *cboSealantLayer = nullptr;
  QLabel* lblDepth = nullptr;
  TSpinField* edsDepth = nullptr;
  QLabel* lblDepthUnit = nullptr;
  QLabel* imgDepthWarning = nullptr;
  QLabel* lblRemarkSpare = nullptr;
  QLabel* lblTemplateNote = nullptr;
  QLabel *lblCreated = nullptr, *lblCreatedBy = nullptr, *lblLastModified = nullptr, *lblLastModifiedBy = nullptr;
  QTreeWidget* lvwConduits = nullptr;
  QToolButton *btnAdd = nullptr, *btnDel = nullptr;
  QLabel *lblStatConduitsC = nullptr, *lblStatConduits = nullptr, *lblStatODs = nullptr;
  QLabel *lblAvailableAreaC = nullptr, *lblAvailableArea = nullptr;
  QLabel *lblConduitAreaC = nullptr, *lblConduitArea = nullptr;
  QLabel *lblConduitSleeveAreaC = nullptr, *lblConduitSleeveArea = nullptr;
  QLabel *lblConduitSleeveSpareAreaC = nullptr, *lblConduitSleeveSpareArea = nullptr;
  QPlainTextEdit* mmoComments = nullptr;
  QPlainTextEdit* mmoDisclaimer = nullptr;
  QPlainTextEdit* mmoValidationMessages = nullptr;
  QPushButton *btnUndo = nullptr, *btnRedo = nullptr, *btnSave = nullptr, *btnSaveAs = nullptr, *btnClose = nullptr;
  QAction *mnuExportClipboard = nullptr, *mnuImportClipboard = nullptr;
  QTimer *tmrRedrawTransitAfterResize = nullptr, *tmrRedrawTransitAfterChange = nullptr, *tmrBlinkWarning = nullptr;
};
