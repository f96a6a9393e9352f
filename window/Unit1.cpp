#include "Unit1.h"

#include "application.h"
#include "colorchips.h"
#include "colordialog.h"
#include "controls.h"
#include "listbox.h"
#include "designfont.h"
#include "mixcopy.h"
#include "swatch.h"

#include <QEvent>
#include <QShowEvent>

#include <array>
#include <numeric>
#include <string_view>
#include <type_traits>
#include <vector>

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
    const char *accessibleName;  // "": its text, or its caption's
    // The label beside the control: it names a slider or an edit box (and
    // Alt+its access key would go there) and describes a read-out.
    const char *caption;
};

constexpr TLayoutRow Layout[] = {
    {"Button1", 96, 24, 75, 25, "おわり", 0, 3, "", ""},
    {"Button3", 240, 24, 75, 25, "ダイアログ", 0, 8, "", ""},
    {"Label2", 32, 112, 52, 27, "あか", 27, -1, "", ""},
    {"Label4", 16, 168, 71, 27, "みどり", 27, -1, "", ""},
    {"Label3", 32, 224, 51, 27, "あお", 27, -1, "", ""},
    {"Panel2", 96, 104, 81, 41, "", 0, 5, "あかの色", ""},
    {"Panel3", 96, 160, 81, 41, "", 0, 6, "みどりの色", ""},
    {"Panel4", 96, 216, 81, 41, "", 0, 7, "あおの色", ""},
    {"ScrollBar1", 184, 104, 161, 41, "", 0, 0, "", "Label2"},
    {"ScrollBar2", 184, 160, 161, 41, "", 0, 1, "", "Label4"},
    {"ScrollBar3", 184, 216, 161, 41, "", 0, 2, "", "Label3"},
    {"lblR", 360, 112, 10, 19, "0", 19, -1, "", "Label2"},
    {"lblG", 360, 176, 10, 19, "0", 19, -1, "", "Label4"},
    {"lblB", 360, 232, 10, 19, "0", 19, -1, "", "Label3"},
    {"Label10", 24, 280, 57, 19, "全色数", 19, -1, "", ""},
    {"lblTen", 200, 280, 10, 19, "0", 19, -1, "", "Label10"},
    {"Label8", 24, 312, 58, 19, "16進数", 19, -1, "", ""},
    {"lblRGB", 200, 312, 10, 19, "0", 19, -1, "", "Label8"},
    {"Label11", 24, 344, 144, 19, "16進数（HTML色）", 19, -1, "", ""},
    {"Edit2", 184, 344, 169, 27, "", 19, 11, "", "Label11"},
    {"Label1", 24, 376, 121, 19, "HTMLネーム色", 19, -1, "", ""},
    {"Edit1", 184, 376, 169, 27, "", 19, 9, "", "Label1"},
    {"ListBox1", 184, 416, 169, 97, "", 16, 10, "HTMLネーム色の一覧", ""},
    {"Panel1", 416, 24, 353, 337, "", 0, 4, "混ぜた色", ""},
};

constexpr bool sameName(const char *a, const char *b)
{
    return std::string_view(a) == std::string_view(b);
}

constexpr std::size_t LayoutRows = std::size(Layout);

// The row of a control, or LayoutRows when the table has none of the name.
constexpr std::size_t findRow(const char *name)
{
    for (std::size_t row = 0; row < LayoutRows; ++row) {
        if (sameName(Layout[row].name, name))
            return row;
    }
    return LayoutRows;
}

// The row of a control, found while compiling: a misspelt name does not
// build (the throw cannot be evaluated as a constant).
consteval std::size_t layoutRow(const char *name)
{
    if (findRow(name) == LayoutRows)
        throw "no such control in the layout table";
    return findRow(name);
}

consteval std::size_t tabStopCount()
{
    std::size_t count = 0;
    for (const TLayoutRow &row : Layout)
        count += row.tabOrder >= 0;
    return count;
}

// Every tab order 0 .. n-1 once, and each caption a control of the table.
consteval bool tabOrdersAreDense()
{
    for (std::size_t order = 0; order < tabStopCount(); ++order) {
        std::size_t holders = 0;
        for (const TLayoutRow &row : Layout)
            holders += row.tabOrder == int(order);
        if (holders != 1)
            return false;
    }
    for (const TLayoutRow &row : Layout) {
        if (*row.caption)
            layoutRow(row.caption);  // does not build for a caption not in the table
    }
    return true;
}

} // namespace

TForm1::TForm1(QWidget *parent)
    : QScrollArea(parent)
{
    const TApplicationFontWhileBuilding buildingFont(DesignFont(WindowFontHeight));
    setWindowTitle(QStringLiteral("Tintaro"));
    setFont(DesignFont(WindowFontHeight));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setBackgroundRole(QPalette::Button);
    viewport()->setBackgroundRole(QPalette::Button);

    createControls();
    fillNameList();
    createColorDialog();
    captionControls();
    connectHandlers();

    move(DesignLeft, DesignTop);
    resize(DesignWidth, DesignHeight);
}

TForm1::~TForm1() = default;

void TForm1::createControls()
{
    // The contents keep their designed extent; a smaller client area scrolls
    // them all together, a larger one moves nothing.
    auto *content = new QWidget;
    content->setMinimumSize(ContentWidth, ContentHeight);
    content->setBackgroundRole(QPalette::Button);
    content->setAutoFillBackground(true);
    setWidget(content);
    setWidgetResizable(true);

    Button1 = create<TButton>(layoutRow("Button1"));
    Button3 = create<TButton>(layoutRow("Button3"));
    Label2 = create<TLabel>(layoutRow("Label2"));
    Label4 = create<TLabel>(layoutRow("Label4"));
    Label3 = create<TLabel>(layoutRow("Label3"));
    Panel2 = create<TPanel>(layoutRow("Panel2"));
    Panel3 = create<TPanel>(layoutRow("Panel3"));
    Panel4 = create<TPanel>(layoutRow("Panel4"));
    ScrollBar1 = create<TScrollBar>(layoutRow("ScrollBar1"));
    ScrollBar2 = create<TScrollBar>(layoutRow("ScrollBar2"));
    ScrollBar3 = create<TScrollBar>(layoutRow("ScrollBar3"));
    lblR = create<TLabel>(layoutRow("lblR"));
    lblG = create<TLabel>(layoutRow("lblG"));
    lblB = create<TLabel>(layoutRow("lblB"));
    Label10 = create<TLabel>(layoutRow("Label10"));
    lblTen = create<TLabel>(layoutRow("lblTen"));
    Label8 = create<TLabel>(layoutRow("Label8"));
    lblRGB = create<TLabel>(layoutRow("lblRGB"));
    Label11 = create<TLabel>(layoutRow("Label11"));
    Edit2 = create<TEdit>(layoutRow("Edit2"));
    Label1 = create<TLabel>(layoutRow("Label1"));
    Edit1 = create<TEdit>(layoutRow("Edit1"));
    ListBox1 = create<TListBox>(layoutRow("ListBox1"));
    Panel1 = create<TPanel>(layoutRow("Panel1"));

    static_assert(tabOrdersAreDense());
    static_assert(std::tuple_size_v<decltype(m_controls)> == LayoutRows);
    static_assert(std::tuple_size_v<decltype(m_tabStops)> == tabStopCount());
    // Panels hold places in the order but take no focus, so Tab passes them.
    for (std::size_t i = 1; i < m_tabStops.size(); ++i)
        QWidget::setTabOrder(m_tabStops[i - 1], m_tabStops[i]);
    // When the window first becomes active the first tab stop has the focus.
    m_tabStops[0]->setFocus();
    // The decimal and colour-value read-outs can be selected and copied.
    lblTen->setSelectable(true);
    lblRGB->setSelectable(true);
    for (TPanel *panel : {Panel1, Panel2, Panel3, Panel4})
        GiveSwatchFeatures(panel);
    // Ctrl+C anywhere copies the mix; the keyboard reaches its copy menu.
    new TMixCopy(this, Panel1);
}

void TForm1::fillNameList()
{
    // The rows are the table's row numbers: a name becomes text only when
    // its row is painted or searched.
    std::vector<int> rows(NamedColorCount);
    std::iota(rows.begin(), rows.end(), 0);
    ListBox1->setRows(std::move(rows));
    GiveColorChips(ListBox1);
}

void TForm1::createColorDialog()
{
    ColorDialog1 = new TColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
    ColorDialog1->setOptions(TColorDialog::cdFullOpen | TColorDialog::cdPreventFullOpen
                             | TColorDialog::cdShowHelp | TColorDialog::cdSolidColor
                             | TColorDialog::cdAnyColor);
}

void TForm1::captionControls()
{
    // A caption names the slider or edit box beside it (and Alt+its access
    // key would go there); it describes the read-out beside it.
    for (std::size_t row = 0; row < LayoutRows; ++row) {
        if (!*Layout[row].caption)
            continue;
        QWidget *control = m_controls[row];
        auto *caption = qobject_cast<TLabel *>(m_controls[findRow(Layout[row].caption)]);
        if (qobject_cast<TLabel *>(control)) {
            control->setAccessibleDescription(caption->text());
        } else {
            caption->setBuddy(control);
            control->setAccessibleName(caption->text());
        }
    }
}

void TForm1::connectHandlers()
{
    ConnectHandler(ScrollBar1, &TScrollBar::changed, this, &TForm1::ScrollBar1Change);
    ConnectHandler(ScrollBar2, &TScrollBar::changed, this, &TForm1::ScrollBar1Change);
    ConnectHandler(ScrollBar3, &TScrollBar::changed, this, &TForm1::ScrollBar1Change);
    ConnectHandler(ListBox1, &TListBox::clickRaised, this, &TForm1::ListBox1Click);
    ConnectHandler(Button1, &TButton::clicked, this, &TForm1::Button1Click);
    ConnectHandler(Button3, &TButton::clicked, this, &TForm1::Button3Click);
}

template<typename Control>
Control *TForm1::create(std::size_t index)
{
    const TLayoutRow &row = Layout[index];
    auto *control = new Control(widget());
    control->setObjectName(QLatin1String(row.name));
    if (row.fontHeight)
        control->setFont(DesignFont(row.fontHeight));
    control->setGeometry(row.left, row.top, row.width, row.height);
    if (*row.accessibleName)
        control->setAccessibleName(QString::fromUtf8(row.accessibleName));
    if constexpr (std::is_same_v<Control, TLabel>)
        control->setCaption(QString::fromUtf8(row.text));
    else if constexpr (requires { control->setText(QString()); })
        control->setText(QString::fromUtf8(row.text));
    if (row.tabOrder >= 0)
        m_tabStops[std::size_t(row.tabOrder)] = control;
    m_controls[index] = control;
    return control;
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
    lblR->setCaption(QString::number(red));
    lblG->setCaption(QString::number(green));
    lblB->setCaption(QString::number(blue));
    Panel1->setColor(MakeColor(red, green, blue));
    Panel2->setColor(MakeColor(red, 0, 0));
    Panel3->setColor(MakeColor(0, green, 0));
    Panel4->setColor(MakeColor(0, 0, blue));
    ShowColorTexts();
    showColorName();
}

void TForm1::ShowColorTexts()
{
    const TColor rgb = Panel1->rgb();
    lblTen->setCaption(QString::fromStdString(ColorToDecimalText(rgb)));
    Edit2->changeText(ToHtmlText(Panel1->color()));  // the components as they stand, unresolved
    lblRGB->setCaption(QString::fromStdString(ColorToValueText(rgb)));
    Edit1->changeText(QString());
}

void TForm1::showColorName()
{
    // With no name the box keeps the empty text that ShowColorTexts gave it.
    if (const auto name = NameForColor(Panel1->color()))
        Edit1->changeText(QString::fromUtf8(*name));
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
    lblR->setCaption(QString::number(red));
    lblG->setCaption(QString::number(green));
    lblB->setCaption(QString::number(blue));
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
