#include "Unit1.h"

#include "colordialog.h"
#include "colourchips.h"
#include "controls.h"
#include "swatch.h"

#include <QEvent>
#include <QShowEvent>

#include <algorithm>
#include <array>
#include <cstring>

TForm1 *Form1 = nullptr;

namespace {

// The window's fixed design, in pixels of the client area at 96 dpi.
constexpr int DesignLeft = 123;
constexpr int DesignTop = 95;
constexpr int DesignWidth = 811;   // outer size, frame included
constexpr int DesignHeight = 565;
constexpr int ContentWidth = 769;  // the right edge of Panel1
constexpr int ContentHeight = 513; // the bottom edge of ListBox1
constexpr int WindowFontHeight = 12;

struct TLayoutRow
{
    const char *name;
    int left, top, width, height;
    const char *text;  // UTF-8
    int fontHeight;    // 0: the window's font
    int tabOrder;      // -1: not in the tab order
    const char *accessibleName;  // "": its text, or the caption beside it
};

constexpr TLayoutRow Layout[] = {
    {"Button1", 96, 24, 75, 25, "おわり", 0, 3, ""},
    {"Button3", 240, 24, 75, 25, "ダイアログ", 0, 8, ""},
    {"Label2", 32, 112, 52, 27, "あか", 27, -1, ""},
    {"Label4", 16, 168, 71, 27, "みどり", 27, -1, ""},
    {"Label3", 32, 224, 51, 27, "あお", 27, -1, ""},
    {"Panel2", 96, 104, 81, 41, "", 0, 5, "あかの色"},
    {"Panel3", 96, 160, 81, 41, "", 0, 6, "みどりの色"},
    {"Panel4", 96, 216, 81, 41, "", 0, 7, "あおの色"},
    {"ScrollBar1", 184, 104, 161, 41, "", 0, 0, ""},
    {"ScrollBar2", 184, 160, 161, 41, "", 0, 1, ""},
    {"ScrollBar3", 184, 216, 161, 41, "", 0, 2, ""},
    {"lblR", 360, 112, 10, 19, "0", 19, -1, ""},
    {"lblG", 360, 176, 10, 19, "0", 19, -1, ""},
    {"lblB", 360, 232, 10, 19, "0", 19, -1, ""},
    {"Label10", 24, 280, 57, 19, "全色数", 19, -1, ""},
    {"lblTen", 200, 280, 10, 19, "0", 19, -1, ""},
    {"Label8", 24, 312, 58, 19, "16進数", 19, -1, ""},
    {"lblRGB", 200, 312, 10, 19, "0", 19, -1, ""},
    {"Label11", 24, 344, 144, 19, "16進数（HTML色）", 19, -1, ""},
    {"Edit2", 184, 344, 169, 27, "", 19, 11, ""},
    {"Label1", 24, 376, 121, 19, "HTMLネーム色", 19, -1, ""},
    {"Edit1", 184, 376, 169, 27, "", 19, 9, ""},
    {"ListBox1", 184, 416, 169, 97, "", 16, 10, "HTMLネーム色の一覧"},
    {"Panel1", 416, 24, 353, 337, "", 0, 4, "混ぜた色"},
};

const TLayoutRow &layoutRow(const char *name)
{
    const auto row = std::find_if(std::begin(Layout), std::end(Layout),
                                  [name](const TLayoutRow &r) { return std::strcmp(r.name, name) == 0; });
    Q_ASSERT(row != std::end(Layout));
    return *row;
}

QFont designFont(int height)
{
    QFont font;
    // "ＭＳ Ｐゴシック" where it is installed, else IPA's proportional Gothic.
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("sans-serif")});
    font.setPixelSize(height);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

TForm1::TForm1(QWidget *parent)
    : QScrollArea(parent)
{
    setWindowTitle(QStringLiteral("Tintaro"));
    setFont(designFont(WindowFontHeight));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setBackgroundRole(QPalette::Button);
    viewport()->setBackgroundRole(QPalette::Button);

    // The contents keep their designed extent; a smaller client area scrolls
    // them all together, a larger one moves nothing.
    auto *content = new QWidget;
    content->setMinimumSize(ContentWidth, ContentHeight);
    content->setBackgroundRole(QPalette::Button);
    content->setAutoFillBackground(true);
    setWidget(content);
    setWidgetResizable(true);

    Button1 = create<TButton>("Button1");
    Button3 = create<TButton>("Button3");
    Label2 = create<TLabel>("Label2");
    Label4 = create<TLabel>("Label4");
    Label3 = create<TLabel>("Label3");
    Panel2 = create<TPanel>("Panel2");
    Panel3 = create<TPanel>("Panel3");
    Panel4 = create<TPanel>("Panel4");
    ScrollBar1 = create<TScrollBar>("ScrollBar1");
    ScrollBar2 = create<TScrollBar>("ScrollBar2");
    ScrollBar3 = create<TScrollBar>("ScrollBar3");
    lblR = create<TLabel>("lblR");
    lblG = create<TLabel>("lblG");
    lblB = create<TLabel>("lblB");
    Label10 = create<TLabel>("Label10");
    lblTen = create<TLabel>("lblTen");
    Label8 = create<TLabel>("Label8");
    lblRGB = create<TLabel>("lblRGB");
    Label11 = create<TLabel>("Label11");
    Edit2 = create<TEdit>("Edit2");
    Label1 = create<TLabel>("Label1");
    Edit1 = create<TEdit>("Edit1");
    ListBox1 = create<TListBox>("ListBox1");
    Panel1 = create<TPanel>("Panel1");
    for (const TNamedColor &row : NamedColors)
        ListBox1->addItem(QString::fromUtf8(row.Name.data(), qsizetype(row.Name.size())));
    ListBox1->setItemDelegate(new TColourChips(ListBox1));
    ColorDialog1 = new TColorDialog(this);
    ColorDialog1->setOptions(TColorDialog::cdFullOpen | TColorDialog::cdPreventFullOpen
                             | TColorDialog::cdShowHelp | TColorDialog::cdSolidColor
                             | TColorDialog::cdAnyColor);
    setTabOrderFromLayout();
    // The decimal and colour-value read-outs can be selected and copied.
    for (TLabel *readout : {lblTen, lblRGB})
        readout->setSelectable(true);
    // Ctrl+C anywhere copies the mix; the keyboard reaches its copy menu.
    new TMixCopy(this, Panel1);
    // Each read-out is described by the caption beside it.
    const std::pair<TLabel *, TLabel *> readouts[] = {
        {lblR, Label2}, {lblG, Label4}, {lblB, Label3}, {lblTen, Label10}, {lblRGB, Label8}};
    for (const auto &[readout, caption] : readouts)
        readout->setAccessibleDescription(caption->text());
    // Each slider and edit box is named by the caption beside it.
    const std::pair<TLabel *, QWidget *> captioned[] = {
        {Label2, ScrollBar1}, {Label4, ScrollBar2}, {Label3, ScrollBar3}, {Label11, Edit2}, {Label1, Edit1}};
    for (const auto &[caption, control] : captioned) {
        caption->setBuddy(control);
        control->setAccessibleName(caption->text());
    }

    connect(ScrollBar1, &TScrollBar::changed, this, &TForm1::ScrollBar1Change);
    connect(ScrollBar2, &TScrollBar::changed, this, &TForm1::ScrollBar1Change);
    connect(ScrollBar3, &TScrollBar::changed, this, &TForm1::ScrollBar1Change);
    connect(ListBox1, &TListBox::clickRaised, this, &TForm1::ListBox1Click);
    connect(Button1, &TButton::clicked, this, &TForm1::Button1Click);
    connect(Button3, &TButton::clicked, this, &TForm1::Button3Click);

    move(DesignLeft, DesignTop);
    resize(DesignWidth, DesignHeight);
    Form1 = this;
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
}

template<typename Control>
Control *TForm1::create(const char *name)
{
    const TLayoutRow &row = layoutRow(name);
    auto *control = new Control(widget());
    control->setObjectName(QString::fromLatin1(name));
    if (row.fontHeight)
        control->setFont(designFont(row.fontHeight));
    control->setGeometry(row.left, row.top, row.width, row.height);
    if (*row.accessibleName)
        control->setAccessibleName(QString::fromUtf8(row.accessibleName));
    if constexpr (requires { control->setText(QString()); }) {
        if (*row.text)
            control->setText(QString::fromUtf8(row.text));
    }
    if (row.tabOrder >= 0)
        m_tabStops[std::size_t(row.tabOrder)] = control;
    return control;
}

void TForm1::setTabOrderFromLayout()
{
    // Panels hold places in the order but take no focus, so Tab passes them.
    for (std::size_t i = 1; i < m_tabStops.size(); ++i)
        QWidget::setTabOrder(m_tabStops[i - 1], m_tabStops[i]);
    // When the window first becomes active the first tab stop has the focus.
    m_tabStops[0]->setFocus();
}

bool TForm1::event(QEvent *event)
{
    if (m_fitOuterSize && (event->type() == QEvent::Move || event->type() == QEvent::Resize
                           || event->type() == QEvent::WindowActivate))
        fitOuterSize();
    return QScrollArea::event(event);
}

void TForm1::showEvent(QShowEvent *event)
{
    QScrollArea::showEvent(event);
    if (!event->spontaneous()) {
        m_fitOuterSize = true;
        FormShow();
    }
}

void TForm1::fitOuterSize()
{
    // The designed size is the outer size. The window manager reports its
    // frame only after the window is mapped; once it has, the client area
    // is made the designed size less the frame, unless the user has resized.
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.isNull())
        return;
    m_fitOuterSize = false;
    if (size() != QSize(DesignWidth, DesignHeight))
        return;
    resize(DesignWidth - frame.width(), DesignHeight - frame.height());
    move(DesignLeft, DesignTop);
}

void TForm1::FormShow()
{
    Panel1->setColor(0);
    Panel2->setColor(0);
    Panel3->setColor(0);
    Panel4->setColor(0);
}

void TForm1::ScrollBar1Change()
{
    const int red = ScrollBar1->position();
    const int green = ScrollBar2->position();
    const int blue = ScrollBar3->position();
    lblR->setText(std::to_string(red));
    lblG->setText(std::to_string(green));
    lblB->setText(std::to_string(blue));
    Panel1->setColor(MakeColor(red, green, blue));
    Panel2->setColor(MakeColor(red, 0, 0));
    Panel3->setColor(MakeColor(0, green, 0));
    Panel4->setColor(MakeColor(0, 0, blue));
    ShowColorTexts();
    showColorName();
}

void TForm1::ShowColorTexts()
{
    const TColor color = Panel1->color();
    const TColor rgb = ColorToRGB(color);
    lblTen->setText(ColorToDecimalText(rgb));
    Edit2->setText(ColorToHtml(color));  // the components as they stand, unresolved
    lblRGB->setText(ColorToValueText(rgb));
    Edit1->setText(QString());
}

void TForm1::showColorName()
{
    // With no name the box keeps the empty text that ShowColorTexts gave it.
    if (const auto name = NameForColor(Panel1->color()))
        Edit1->setText(*name);
}

void TForm1::ListBox1Click()
{
    const int row = ListBox1->itemIndex();
    if (row >= 0 && row < NamedColorCount)
        Panel1->setColor(ColorOfRow(row));
    ApplyColorToSliders();
}

void TForm1::ApplyColorToSliders()
{
    ShowColorTexts();
    const TColor color = Panel1->color();
    const int red = GetRValue(color);
    const int green = GetGValue(color);
    const int blue = GetBValue(color);
    lblR->setText(std::to_string(red));
    lblG->setText(std::to_string(green));
    lblB->setText(std::to_string(blue));
    // Each real change runs ScrollBar1Change at once, on the new red and the
    // old green and blue at first; the later runs repair the mixture.
    ScrollBar1->setPosition(red);
    ScrollBar2->setPosition(green);
    ScrollBar3->setPosition(blue);
    // A pick that moves no slider would otherwise leave a named colour
    // without its name.
    showColorName();
}

void TForm1::Button1Click()
{
    close();
}

void TForm1::Button3Click()
{
    if (ColorDialog1->execute(this))
        Panel1->setColor(ColorDialog1->color());
    ApplyColorToSliders();
}
