// The two tabs where the program explains itself: the Intro tab with its five texts and the
// Figures tab with its three pictures, and the buttons that open the explanation windows.
//
// The pictures are drawn when the program is built and shipped as JPEG resources; they are
// decoded the first time they are shown.
#include <QButtonGroup>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/VornaxForm.h"
#include "forms/HelpTexts.h"
#include "forms/InfoForms.h"

#include <algorithm>

namespace vornax::app {
namespace {

QTextBrowser* IntroMemoFor(QWidget* parent, const char* name, const forms::HelpText& text,
                           const QColor& background) {
  auto* memo = new QTextBrowser(parent);
  memo->setObjectName(name);
  memo->setOpenLinks(false);
  QFont body = memo->font();
  body.setPixelSize(14);
  memo->setFont(body);
  memo->setStyleSheet("QTextBrowser { border: 1px solid #b8bcc6; border-radius: 3px; }");
  forms::ShowHelpText(memo, text, background);
  return memo;
}

QPushButton* SideButton(const QString& text, QWidget* parent, const char* name, QButtonGroup* group) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setMinimumHeight(30);
  if (group) {
    // The button of the text or picture on show stays pressed.
    button->setCheckable(true);
    group->addButton(button);
  }
  return button;
}

// Where the resources keep the pictures; the names are those the build gives them.
constexpr const char* kTypesPicture = ":/figures/types.jpg";
constexpr const char* kBeltPicture = ":/figures/belt.jpg";
constexpr const char* kMethodsPicture = ":/figures/methods.jpg";

// A picture of the Figures tab: whole where the room allows, else scaled down to the room with
// its proportions, so that a small screen shows all of it instead of widening the window.
class FigureImage : public QLabel {
 public:
  using QLabel::QLabel;
  void SetPicture(const QPixmap& picture) {
    original_ = picture;
    Fit();
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QLabel::resizeEvent(event);
    Fit();
  }

 private:
  void Fit() {
    if (original_.isNull()) return;
    const QSize room = contentsRect().size();
    const bool whole = !isVisible() || (original_.width() <= room.width() && original_.height() <= room.height());
    setPixmap(whole ? original_ : original_.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  }
  QPixmap original_;
};

QLabel* FigureLabel(QWidget* parent, const char* name, const char* resource) {
  auto* label = new FigureImage(parent);
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  label->setMinimumSize(200, 140);
  label->setObjectName(name);
  label->setProperty("resource", QString::fromLatin1(resource));
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(true);
  return label;
}

// Shows a small window at `at`, moved as little as needed to stand wholly on the screen.
void ShowOnScreen(QWidget* window, QPoint at) {
  if (!window->isVisible()) {
    if (const QScreen* screen = QGuiApplication::screenAt(at) ? QGuiApplication::screenAt(at)
                                                              : QGuiApplication::primaryScreen()) {
      const QRect free = screen->availableGeometry();
      at.setX(std::max(free.left(), std::min(at.x(), free.right() - window->frameGeometry().width())));
      at.setY(std::max(free.top(), std::min(at.y(), free.bottom() - window->frameGeometry().height())));
    }
    window->move(at);
  }
  window->show();
  window->raise();
}

// A tab with a column of buttons (one pressed at a time) beside what they show.
struct SideButtonTab {
  QWidget* Page;
  QHBoxLayout* Outer;
  QVBoxLayout* Side;
  QButtonGroup* Group;
};

SideButtonTab StartSideButtonTab(const char* name) {
  auto* page = new QWidget;
  page->setObjectName(name);
  auto* outer = new QHBoxLayout(page);
  outer->setContentsMargins(10, 10, 10, 10);
  outer->setSpacing(12);
  auto* side = new QVBoxLayout;
  side->setSpacing(6);
  auto* group = new QButtonGroup(page);
  group->setExclusive(true);
  return {page, outer, side, group};
}

}  // namespace

QWidget* TVornaxForm::BuildIntroTab() {
  const SideButtonTab tab = StartSideButtonTab("IntroTabSheet");
  QWidget* page = tab.Page;
  QHBoxLayout* outer = tab.Outer;
  QVBoxLayout* side = tab.Side;
  QButtonGroup* group = tab.Group;
  BackButton = SideButton("Introduction", page, "BackButton", group);
  TypesButton = SideButton("Function types", page, "TypesButton", group);
  TestsButton = SideButton("Significance tests", page, "TestsButton", group);
  SequenceButton = SideButton("Calculation sequence", page, "SequenceButton", group);
  MethodsButton = SideButton("Calculation methods", page, "MethodsButton", group);
  MoreInfoButton = SideButton("More info", page, "MoreInfoButton", nullptr);
  MoreInfoButton->setStyleSheet("QPushButton { font-weight: bold; }");
  for (QPushButton* b : {BackButton, TypesButton, TestsButton, SequenceButton, MethodsButton}) {
    side->addWidget(b);
  }
  side->addSpacing(10);
  side->addWidget(MoreInfoButton);
  side->addStretch(1);
  MoreInfoButton->hide();
  auto* sideBox = new QWidget(page);
  sideBox->setLayout(side);
  sideBox->setFixedWidth(170);
  outer->addWidget(sideBox);

  IntroStack = new QStackedWidget(page);
  IntroMemo = IntroMemoFor(IntroStack, "IntroMemo", forms::kIntroText, QColor(0xff, 0xfc, 0xf0));
  TypesMemo = IntroMemoFor(IntroStack, "TypesMemo", forms::kTypesText, QColor(0xef, 0xf5, 0xff));
  TestsMemo = IntroMemoFor(IntroStack, "TestsMemo", forms::kTestsText, QColor(0xf0, 0xf9, 0xf0));
  SequenceMemo = IntroMemoFor(IntroStack, "SequenceMemo", forms::kSequenceText, QColor(0xf7, 0xf1, 0xfb));
  MethodsMemo = IntroMemoFor(IntroStack, "MethodsMemo", forms::kMethodsText, QColor(0xff, 0xf4, 0xec));
  for (QTextBrowser* m : {IntroMemo, TypesMemo, TestsMemo, SequenceMemo, MethodsMemo}) IntroStack->addWidget(m);
  outer->addWidget(IntroStack, 1);

  connect(BackButton, &QPushButton::clicked, this, [this] { BackButtonClick(); });
  connect(TypesButton, &QPushButton::clicked, this, [this] { TypesButtonClick(); });
  connect(TestsButton, &QPushButton::clicked, this, [this] { TestsButtonClick(); });
  connect(SequenceButton, &QPushButton::clicked, this, [this] { SequenceButtonClick(); });
  connect(MethodsButton, &QPushButton::clicked, this, [this] { MethodsButtonClick(); });
  connect(MoreInfoButton, &QPushButton::clicked, this, [this] { MoreInfoButtonClick(); });
  return page;
}

QWidget* TVornaxForm::BuildFiguresTab() {
  const SideButtonTab tab = StartSideButtonTab("FiguresTabSheet");
  QWidget* page = tab.Page;
  QHBoxLayout* outer = tab.Outer;
  QVBoxLayout* side = tab.Side;
  QButtonGroup* group = tab.Group;
  Figures_Button = SideButton("All types", page, "Figures_Button", group);
  Conf_Button = SideButton("Confidence belt", page, "Conf_Button", group);
  Methods_Button = SideButton("Methods type 3 or 4", page, "Methods_Button", group);
  side->addWidget(Figures_Button);
  side->addWidget(Conf_Button);
  side->addWidget(Methods_Button);
  side->addSpacing(14);
  Conf_Memo = new QLabel(QString("%1\n\n%2\n\n%3")
                             .arg(forms::kConfMemoLines[0], forms::kConfMemoLines[1], forms::kConfMemoLines[2]),
                         page);
  Conf_Memo->setObjectName("Conf_Memo");
  Conf_Memo->setWordWrap(true);
  Conf_Memo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Conf_Memo->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Conf_Memo->setStyleSheet(
      "QLabel { background: #fffbe6; color: #202020; border: 1px solid #d8cf9a; padding: 8px; }");
  Conf_Memo->hide();
  side->addWidget(Conf_Memo);
  side->addStretch(1);
  auto* sideBox = new QWidget(page);
  sideBox->setLayout(side);
  sideBox->setFixedWidth(185);
  outer->addWidget(sideBox);

  FiguresStack = new QStackedWidget(page);
  Types_Image = FigureLabel(FiguresStack, "Types_Image", kTypesPicture);
  Conf_Image = FigureLabel(FiguresStack, "Conf_Image", kBeltPicture);
  Methods_Image = FigureLabel(FiguresStack, "Methods_Image", kMethodsPicture);
  for (QLabel* l : {Types_Image, Conf_Image, Methods_Image}) FiguresStack->addWidget(l);
  outer->addWidget(FiguresStack, 1);
  Figures_Button->setChecked(true);

  connect(Figures_Button, &QPushButton::clicked, this, [this] { Figures_ButtonClick(); });
  connect(Conf_Button, &QPushButton::clicked, this, [this] { Conf_ButtonClick(); });
  connect(Methods_Button, &QPushButton::clicked, this, [this] { Methods_ButtonClick(); });
  return page;
}

// ---------------------------------------------------------------------------------------------
// The Intro tab

void TVornaxForm::IntroTabSheetShow() {
  ShowStatus("Click on the Input tab to proceed.");
  InputSaveAction->setEnabled(false);
  GraphSaveAction->setEnabled(false);
  // Reading the help changes nothing of the data: whether a one-variable data set is X or Z
  // stays as the Input tab set it, and so it is saved and reported.
  ShowIntroMemo(IntroMemo, false);
}

void TVornaxForm::ShowIntroMemo(QTextBrowser* memo, bool moreInfo) {
  IntroStack->setCurrentWidget(memo);
  memo->verticalScrollBar()->setValue(0);
  QPushButton* button = memo == IntroMemo      ? BackButton
                        : memo == TypesMemo    ? TypesButton
                        : memo == TestsMemo    ? TestsButton
                        : memo == SequenceMemo ? SequenceButton
                                               : MethodsButton;
  button->setChecked(true);
  MoreInfoButton->setVisible(moreInfo);
  // The detailed procedure belongs to the significance tests only.
  if (!moreInfo) MoreInfoForm->hide();
}

void TVornaxForm::TypesButtonClick() { ShowIntroMemo(TypesMemo, false); }
void TVornaxForm::TestsButtonClick() { ShowIntroMemo(TestsMemo, true); }
void TVornaxForm::SequenceButtonClick() { ShowIntroMemo(SequenceMemo, false); }
void TVornaxForm::MethodsButtonClick() { ShowIntroMemo(MethodsMemo, false); }
void TVornaxForm::BackButtonClick() { ShowIntroMemo(IntroMemo, false); }

void TVornaxForm::MoreInfoButtonClick() {
  // Beside the tests it details, over the right part of their text.
  ShowOnScreen(MoreInfoForm, IntroStack->mapToGlobal(QPoint(IntroStack->width() / 3, -20)));
}

void TVornaxForm::BPButtonClick() {
  ShowOnScreen(HelpForm, mapToGlobal(QPoint(width() - HelpForm->width() - 20, 90)));
}

// ---------------------------------------------------------------------------------------------
// The Figures tab

void TVornaxForm::FiguresTabSheetShow() {
  ShowStatus("The figures explain the function types, the confidence belt and the calculation methods");
  InputSaveAction->setEnabled(false);
  ShowFigure(qobject_cast<QLabel*>(FiguresStack->currentWidget()));
}

void TVornaxForm::ShowFigure(QLabel* image) {
  if (image->pixmap().isNull()) {
    // Decoded on first sight, through the JPEG reader (libjpeg); what fails is said in its place.
    QImageReader reader(image->property("resource").toString(), "jpeg");
    const QImage picture = reader.read();
    if (picture.isNull()) {
      image->setText("The picture could not be shown: " + reader.errorString());
    } else {
      static_cast<FigureImage*>(image)->SetPicture(QPixmap::fromImage(picture));
    }
  }
  FiguresStack->setCurrentWidget(image);
  Conf_Memo->setVisible(image == Conf_Image);
  QPushButton* button = image == Types_Image ? Figures_Button : image == Conf_Image ? Conf_Button : Methods_Button;
  button->setChecked(true);
}

void TVornaxForm::Figures_ButtonClick() { ShowFigure(Types_Image); }
void TVornaxForm::Conf_ButtonClick() { ShowFigure(Conf_Image); }
void TVornaxForm::Methods_ButtonClick() { ShowFigure(Methods_Image); }

}  // namespace vornax::app
