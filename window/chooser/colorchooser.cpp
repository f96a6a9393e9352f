#include "colorchooser.h"

#include "basiccolors.h"
#include "captions.h"
#include "colorfield.h"
#include "colorgrid.h"
#include "csstext.h"
#include "nearest.h"
#include "numberbox.h"
#include "pairpanel.h"
#include "palettepanel.h"
#include "placement.h"
#include "screenpicker.h"
#include "typedcoloredit.h"
#include "x11dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace {

// A text as long as the longest the copy menus make, and what a line edit
// takes around its text: its frame, its margins and the cursor.
const QString LongTypedSample = QStringLiteral("color(display-p3 0.99999 0.99999 0.99999)");
constexpr int TypedFieldFrame = 16;


} // namespace

TColorChooser::TColorChooser(const TChooseColorRequest &request)
    : QDialog(request.owner)
    , m_original(request.flags & TChooseColorRequest::RgbInit ? request.initialColor & 0xFFFFFF : 0)
    , m_custom(request.customColors)
{
    setWindowTitle(QStringLiteral("色の設定"));
    setObjectName(QStringLiteral("ColorChooser"));
    setModal(true);
    // A close box only: minimising the chooser would leave the program
    // disabled behind it with nothing to click.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    createBasicColors();
    createCustomColors();
    createColorField();
    createNumbers();
    createTypedColor();
    createPreview();
    createPairPanel();
    createPalette();
    createButtons(request.flags);
    layOut(request.flags);

    setColor(m_original);
    m_field->setFocus();

    // A window manager frames the chooser after it first shows: the outer
    // rectangle, frame included, is placed once more when the frame is known.
    connect(new TFrameWatch(this), &TFrameWatch::framed, this, [this](const QMargins &frame) {
        if (m_framedPlaced || !isVisible())
            return;
        m_framedPlaced = true;
        place(frame);
    });
}

void TColorChooser::createBasicColors()
{
    m_basic = new TColorGrid(BasicColorCount, BasicColumns, false, this);
    m_basic->setObjectName(QStringLiteral("basicColors"));
    for (int cell = 0; cell < m_basic->count(); ++cell) {
        const TColor color = BasicColor(cell);
        const auto name = NameForColor(color);
        m_basic->cell(cell)->setColor(color, name ? ToHtmlText(color) + QLatin1Char(' ') + QString::fromUtf8(*name)
                                                   : ToHtmlText(color));
    }
    m_basicLabel = CaptionFor(m_basic, QStringLiteral("基本色(&B):"));
    connect(m_basic, &TColorGrid::picked, this,
            [this](int cell) { setColor(BasicColor(cell)); });
}

void TColorChooser::createCustomColors()
{
    m_customGrid = new TColorGrid(CustomColorCount, 8, true, this);
    m_customGrid->setObjectName(QStringLiteral("customColors"));
    for (int slot = 0; slot < CustomColorCount; ++slot) {
        m_customGrid->cell(slot)->setObjectName(QString::fromStdString(CustomSlotKey(slot)));
        showCustomSlot(slot);
    }
    m_customLabel = CaptionFor(m_customGrid, QStringLiteral("作成した色(&C):"));
    connect(m_customGrid, &TColorGrid::picked, this, &TColorChooser::pickCustomSlot);

    // Added colours fill the empty slots first; the checked slot takes the next.
    const auto empty = std::find(m_custom.begin(), m_custom.end(), -1);
    m_nextSlot = empty == m_custom.end() ? 0 : int(empty - m_custom.begin());
    m_customGrid->cell(m_nextSlot)->setChecked(true);
}

void TColorChooser::createColorField()
{
    m_field = new THueSaturationField(this);
    m_field->setObjectName(QStringLiteral("hueSaturationField"));
    // The field and the bar are HSV's saturation and value, the boxes HSL's
    // saturation and lightness: each caption says which.
    m_fieldLabel = CaptionFor(m_field, QStringLiteral("色相と彩度 (HSV)(&F):"));
    m_brightness = new TBrightnessBar(this);
    m_brightness->setObjectName(QStringLiteral("brightnessBar"));
    m_brightnessLabel = CaptionFor(m_brightness, QStringLiteral("明るさ (HSV)(&V)"));
    connect(m_field, &THueSaturationField::picked, this, [this](int hue, int saturation) {
        m_model.pickHueSaturation(hue, saturation);
        refresh();
    });
    connect(m_brightness, &TBrightnessBar::picked, this, [this](int value) {
        m_model.pickValue(value);
        refresh();
    });
}

void TColorChooser::createNumbers()
{
    const auto box = [this](const char *name, int maximum, const QString &suffix) {
        auto *spin = new TNumberBox(this);
        spin->setObjectName(QString::fromLatin1(name));
        spin->setRange(0, maximum);
        spin->setSuffix(suffix);
        spin->setAccelerated(true);
        return spin;
    };
    m_red = box("red", 255, QString());
    m_green = box("green", 255, QString());
    m_blue = box("blue", 255, QString());
    m_hue = box("hue", 359, QStringLiteral("°"));
    m_saturation = box("saturation", 100, QStringLiteral("%"));
    m_lightness = box("lightness", 100, QStringLiteral("%"));
    // The hue goes round: one step up from 359 is 0.
    m_hue->setWrapping(true);

    m_numbers = new QGridLayout;
    const std::pair<QSpinBox *, QString> boxes[] = {
        {m_hue, QStringLiteral("色相(&E):")},   {m_red, QStringLiteral("赤(&R):")},
        {m_saturation, QStringLiteral("彩度 (HSL)(&S):")}, {m_green, QStringLiteral("緑(&G):")},
        {m_lightness, QStringLiteral("明度 (HSL)(&L):")}, {m_blue, QStringLiteral("青(&U):")},
    };
    for (int i = 0; i < 6; ++i) {
        const auto &[spin, caption] = boxes[i];
        m_numbers->addWidget(CaptionFor(spin, caption), i / 2, (i % 2) * 2);
        m_numbers->addWidget(spin, i / 2, (i % 2) * 2 + 1);
    }
    for (QSpinBox *spin : {m_red, m_green, m_blue})
        connect(spin, &QSpinBox::valueChanged, this, [this] {
            if (!m_refreshing)
                setColor(MakeColor(m_red->value(), m_green->value(), m_blue->value()));
        });
    for (QSpinBox *spin : {m_hue, m_saturation, m_lightness})
        connect(spin, &QSpinBox::valueChanged, this, &TColorChooser::editHsl);
}

TColorChooser::~TColorChooser()
{
    // Destroyed while shown, the typed field loses the focus on the way out:
    // what it would submit then has no chooser left to go to.
    m_typed->disconnect(this);
}

void TColorChooser::createTypedColor()
{
    m_typed = new TTypedColorEdit(this);
    m_typed->setObjectName(QStringLiteral("typedColor"));
    m_typed->setToolTip(QStringLiteral("#RRGGBB、#RGB、rgb()、hsl()、hwb()、lab()、lch()、oklab()、oklch()、color() または色の名前"));
    m_typedLabel = CaptionFor(m_typed, QStringLiteral("HTML色(&T):"));
    // Wide enough to show a pasted CSS text of about forty characters whole,
    // the longest that the copy menus make among them.
    m_typed->setMinimumWidth(m_typed->fontMetrics().horizontalAdvance(LongTypedSample) + TypedFieldFrame);
    m_typedError = new QLabel(this);
    m_typedError->setObjectName(QStringLiteral("typedColorError"));
    // On a line of its own below the field, wrapping within the column, with
    // room for two lines from the start, so the dialog never grows.
    m_typedError->setWordWrap(true);
    m_typedError->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_typedError->setMinimumHeight(2 * m_typedError->fontMetrics().lineSpacing());
    connect(m_typed, &TTypedColorEdit::submitted, this, &TColorChooser::applyTypedColor);
    connect(m_typed, &QLineEdit::textChanged, this, [this] {
        if (m_typedError->text().isEmpty())
            return;
        m_typed->setPalette(QPalette());
        m_typedError->clear();
        m_typed->setAccessibleDescription(QString());
    });
}

void TColorChooser::createPreview()
{
    m_previewBox = new QWidget(this);
    auto *layout = new QGridLayout(m_previewBox);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(2);
    const auto swatch = [this](const char *name, const QString &caption) {
        auto *frame = new QFrame(m_previewBox);
        frame->setObjectName(QString::fromLatin1(name));
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setFixedSize(64, 40);
        frame->setAutoFillBackground(true);
        frame->setAccessibleName(caption);
        return frame;
    };
    m_preview = swatch("preview", QStringLiteral("新しい色"));
    m_originalPreview = swatch("originalPreview", QStringLiteral("元の色"));
    QPalette original = m_originalPreview->palette();
    original.setColor(QPalette::Window, ToQColor(m_original));
    m_originalPreview->setPalette(original);
    m_originalPreview->setAccessibleDescription(ToHtmlText(m_original));
    m_originalPreview->setToolTip(ToHtmlText(m_original));
    m_nearest = new QLabel(m_previewBox);
    m_nearest->setObjectName(QStringLiteral("nearestName"));
    // Wide enough for the longest name, so the dialog keeps its size.
    m_nearest->setMinimumWidth(m_nearest->fontMetrics().horizontalAdvance(
        QStringLiteral("近い色 lightgoldenrodyellow (ΔE 99.9)")));
    layout->addWidget(m_preview, 0, 0);
    layout->addWidget(m_originalPreview, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("新しい色"), m_previewBox), 1, 0, Qt::AlignHCenter);
    layout->addWidget(new QLabel(QStringLiteral("元の色"), m_previewBox), 1, 1, Qt::AlignHCenter);
    layout->addWidget(m_nearest, 2, 0, 1, 3);
    layout->setColumnStretch(2, 1);
}

void TColorChooser::createPairPanel()
{
    m_pair = new TPairPanel(this);
    m_pair->setObjectName(QStringLiteral("pairPanel"));
    connect(m_pair, &TPairPanel::textWanted, this, &TColorChooser::setColor);
}

TColor TColorChooser::background() const { return m_pair->background(); }

void TColorChooser::setBackground(TColor color) { m_pair->setBackground(color); }

void TColorChooser::createPalette()
{
    m_palette = new TPalettePanel(this);
    m_palette->setObjectName(QStringLiteral("palette"));
    m_palette->setCustomColors(m_custom);
    connect(m_palette, &TPalettePanel::colorWanted, this, &TColorChooser::setColor);
    connect(m_palette, &TPalettePanel::customColorWanted, this, &TColorChooser::addToCustomColors);
    connect(m_palette, &TPalettePanel::pasted, this, &TColorChooser::pastePalette);
    connect(m_palette, &TPalettePanel::undoWanted, this, &TColorChooser::undoPaste);
}

TRunColors TColorChooser::runColors() const { return m_palette->runColors(); }

void TColorChooser::setRunColors(const TRunColors &colors) { m_palette->setRunColors(colors); }

char TColorChooser::paletteForm() const { return m_palette->valueForm(); }

void TColorChooser::setPaletteForm(char accessKey) { m_palette->setValueForm(accessKey); }

void TColorChooser::createButtons(unsigned flags)
{
    m_add = PlainButton(QStringLiteral("色の追加(&A)"), "addCustomColor", this);
    connect(m_add, &QPushButton::clicked, this, &TColorChooser::addCustomColor);

    m_pick = PlainButton(QStringLiteral("スポイト(&P)"), "pickFromScreen", this);
    m_picker = new TScreenPicker(this);
    connect(m_pick, &QPushButton::clicked, this, &TColorChooser::pickFromScreen);
    connect(m_picker, &TScreenPicker::availabilityChanged, this, &TColorChooser::showPickerAvailability);
    connect(m_picker, &TScreenPicker::picked, this, [this](TColor color) {
        m_palette->addRunColor(color);
        setColor(color);
    });
    connect(m_picker, &TScreenPicker::cancelled, this, &TColorChooser::showPickMessage);
    // Why the last pick changed nothing, until the next change or pick.
    m_pickMessage = new QLabel(this);
    m_pickMessage->setObjectName(QStringLiteral("pickMessage"));
    m_pickMessage->setWordWrap(true);
    // Never wider than the column, and room for two lines from the start,
    // so the dialog never grows.
    m_pickMessage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_pickMessage->setMinimumHeight(2 * m_pickMessage->fontMetrics().lineSpacing());
    showPickerAvailability();

    auto *buttons = new QDialogButtonBox(this);
    m_buttons = buttons;
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TColorChooser::acceptTyped);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (flags & TChooseColorRequest::ShowHelp) {
        // No help topic is attached, so the button does nothing.
        const QString caption = QStringLiteral("ヘルプ(&H)");
        QPushButton *help = buttons->addButton(caption, QDialogButtonBox::HelpRole);
        help->setObjectName(QStringLiteral("help"));
        help->setAccessibleName(PlainCaption(caption));
    }
}

void TColorChooser::layOut(unsigned flags)
{
    auto *left = new QVBoxLayout;
    left->addWidget(m_basicLabel);
    left->addWidget(m_basic, 0, Qt::AlignLeft);
    left->addSpacing(8);
    left->addWidget(m_customLabel);
    left->addWidget(m_customGrid, 0, Qt::AlignLeft);
    left->addWidget(m_add);
    left->addSpacing(8);
    left->addWidget(m_palette);
    left->addStretch();

    // The field, the bar and the numbers are the "full open" part; without
    // full open a button opens it, and prevent-full-open disables that.
    auto *fullPart = new QWidget(this);
    auto *full = new QGridLayout(fullPart);
    full->setContentsMargins(0, 0, 0, 0);
    auto *captions = new QHBoxLayout;
    captions->addWidget(m_fieldLabel);
    captions->addStretch();
    captions->addWidget(m_brightnessLabel);
    full->addLayout(captions, 0, 0, 1, 2);
    full->addWidget(m_field, 1, 0);
    full->addWidget(m_brightness, 1, 1);
    full->addWidget(m_previewBox, 2, 0, 1, 2);
    full->addLayout(m_numbers, 3, 0, 1, 2);
    auto *typed = new QHBoxLayout;
    typed->addWidget(m_typedLabel);
    typed->addWidget(m_typed, 1);
    full->addLayout(typed, 4, 0, 1, 2);
    full->addWidget(m_typedError, 5, 0, 1, 2);
    auto *pick = new QHBoxLayout;
    pick->addWidget(m_pick, 0, Qt::AlignTop);
    pick->addWidget(m_pickMessage, 1);
    full->addLayout(pick, 6, 0, 1, 2);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addSpacing(12);
    columns->addWidget(fullPart, 0, Qt::AlignTop);
    columns->addSpacing(12);
    columns->addWidget(m_pair, 0, Qt::AlignTop);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    if (!(flags & TChooseColorRequest::FullOpen)) {
        fullPart->hide();
        auto *define = PlainButton(QStringLiteral("色の作成(&D) >>"), "defineCustomColors", this);
        define->setEnabled(!(flags & TChooseColorRequest::PreventFullOpen));
        connect(define, &QPushButton::clicked, this, [fullPart, define] {
            fullPart->show();
            define->setEnabled(false);
        });
        layout->addWidget(define);
    }
    layout->addWidget(m_buttons);
    // The size fits the contents and stays while the chooser is open.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The left column first, then the boxes row by row as they stand, then
    // the text on its background.
    QList<QWidget *> order = {m_customGrid->cell(CustomColorCount - 1), m_add};
    const auto *run = static_cast<const TColorGrid *>(m_palette->runGrid());
    for (int cell = 0; cell < run->count(); ++cell)
        order += run->cell(cell);
    order += {m_palette->menuButton(), m_field, m_brightness, m_hue, m_red, m_saturation, m_green, m_lightness, m_blue,
              m_typed, m_pick};
    order += m_pair->tabStops();
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

// What the chooser does with an edit, a pick or a press: the model takes the
// change, and refresh() shows the model's numbers in every control.

void TColorChooser::setColor(TColor color)
{
    m_model.setColor(color);
    refresh();
}

void TColorChooser::editHsl()
{
    if (m_refreshing)
        return;
    m_model.setHsl({m_hue->value(), m_saturation->value(), m_lightness->value()});
    refresh();
}

bool TColorChooser::applyTypedColor()
{
    const QString text = m_typed->text();
    if (text == ToHtmlText(m_model.color()))
        return true;
    const QByteArray bytes = text.toUtf8();
    const TCssColor read = ParseCssColor(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    const QString message = QString::fromUtf8(CssColorMessage(read));
    if (read.Status == TCssStatus::Color) {
        setColor(read.Color);  // the field now shows the colour's #RRGGBB
        // A colour outside sRGB was brought inside: the field says so,
        // unmarked, until its text changes.
        m_typedError->setText(message);
        m_typed->setAccessibleDescription(message);
        return true;
    }
    // The colour stays; the field says why until its text changes.
    QPalette marked = m_typed->palette();
    marked.setColor(QPalette::Base, QColor(255, 220, 220));
    marked.setColor(QPalette::Text, Qt::black);
    m_typed->setPalette(marked);
    m_typedError->setText(message);
    m_typed->setAccessibleDescription(message);
    return false;
}

void TColorChooser::acceptTyped()
{
    // OK reads the field first; text that is no colour keeps the chooser
    // open with the field saying why.
    if (!applyTypedColor()) {
        m_typed->setFocus();
        m_typed->selectAll();
        return;
    }
    accept();
}

void TColorChooser::pickFromScreen()
{
    // The dialog stays on screen: the picker reads the screen under the
    // pointer, and the user may well want a colour from the dialog itself.
    showPickMessage(QString());
    m_picker->start(this);
}

void TColorChooser::showPickMessage(const QString &why)
{
    m_pickMessage->setText(why);
    m_pick->setAccessibleDescription(why);
}

void TColorChooser::keyPressEvent(QKeyEvent *event)
{
    // While the desktop picks for us, Escape here ends the pick, not the
    // dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_picker->isPicking()) {
        m_picker->cancel();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TColorChooser::hideEvent(QHideEvent *event)
{
    // Closed by the window manager, or by any other way, in the middle of a
    // pick: the pick ends and lets go of the pointer and the keyboard, and
    // the next opening starts without its message.
    m_picker->cancel();
    showPickMessage(QString());
    QDialog::hideEvent(event);
}

void TColorChooser::showPickerAvailability()
{
    const bool available = m_picker->isAvailable();
    m_pick->setEnabled(available);
    m_pick->setToolTip(available ? QStringLiteral("画面のどこかをクリックすると、その点の色を取ります（Esc で取り消し）")
                                 : m_picker->unavailableReason());
}

void TColorChooser::refresh()
{
    const TColor color = m_model.color();
    const THsl hsl = m_model.hsl();
    const THsv hsv = m_model.hsv();
    m_refreshing = true;
    m_red->setValue(GetRValue(color));
    m_green->setValue(GetGValue(color));
    m_blue->setValue(GetBValue(color));
    m_hue->setValue(hsl.Hue);
    m_saturation->setValue(hsl.Saturation);
    m_lightness->setValue(hsl.Lightness);
    m_refreshing = false;
    m_field->setHueSaturation(hsv.Hue, hsv.Saturation);
    m_brightness->setColor(hsv);
    QPalette palette = m_preview->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    m_preview->setPalette(palette);
    m_preview->setAccessibleDescription(ToHtmlText(color));
    m_preview->setToolTip(ToHtmlText(color));
    if (m_typed->text() != ToHtmlText(color))
        m_typed->setText(ToHtmlText(color));

    m_nearest->setText(QString::fromStdString(NameText(color).Text));
    m_pair->setTextColor(color);
    showPickMessage(QString());
}

void TColorChooser::addCustomColor() { addToCustomColors(m_model.color()); }

void TColorChooser::addToCustomColors(TColor color)
{
    m_custom[std::size_t(m_nextSlot)] = color;
    showCustomSlot(m_nextSlot);
    selectNextSlot((m_nextSlot + 1) % CustomColorCount);
    customColorsChanged();
}

void TColorChooser::showCustomSlot(int slot)
{
    const TColor color = m_custom[std::size_t(slot)];
    m_customGrid->cell(slot)->setColor(color, color < 0 ? QStringLiteral("空き") : ToHtmlText(color));
}

void TColorChooser::selectNextSlot(int slot)
{
    m_nextSlot = slot;
    m_customGrid->cell(slot)->setChecked(true);
}

void TColorChooser::pickCustomSlot(int slot)
{
    // The slot also receives the next added colour.
    m_nextSlot = slot;
    if (m_custom[std::size_t(slot)] >= 0)
        setColor(m_custom[std::size_t(slot)]);
}

void TColorChooser::pastePalette(const std::vector<TColor> &colors)
{
    // From the first cell; the cells after the pasted colours keep theirs,
    // and the next added colour goes after them.
    m_beforePaste = TBeforePaste{m_custom, m_nextSlot};
    const int count = std::min(int(colors.size()), CustomColorCount);
    for (int slot = 0; slot < count; ++slot) {
        m_custom[std::size_t(slot)] = colors[std::size_t(slot)];
        showCustomSlot(slot);
    }
    selectNextSlot(count % CustomColorCount);
    m_palette->setCustomColors(m_custom);
    m_palette->setUndoAvailable(true);
}

void TColorChooser::undoPaste()
{
    if (!m_beforePaste)
        return;
    m_custom = m_beforePaste->Colors;
    for (int slot = 0; slot < CustomColorCount; ++slot)
        showCustomSlot(slot);
    selectNextSlot(m_beforePaste->NextSlot);
    customColorsChanged();
}

void TColorChooser::customColorsChanged()
{
    m_beforePaste.reset();
    m_palette->setCustomColors(m_custom);
    m_palette->setUndoAvailable(false);
}

void TColorChooser::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    AskForMoveAndCloseOnly(this);
    place();
}

bool TColorChooser::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    // Where the window manager offers to minimise the chooser all the same,
    // it comes straight back: minimised, it would hide the whole program
    // behind a modal dialog that nobody can reach.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        activateWindow();
    }
    return handled;
}

void TColorChooser::place(const QMargins &frame)
{
    // Placed on the whole monitor of the active window (or of the owner)
    // when the chooser starts, its work area aside; only the position changes.
    if (m_monitor.isEmpty()) {
        const QWidget *anchor = QApplication::activeWindow() && QApplication::activeWindow() != this
            ? QApplication::activeWindow()
            : parentWidget();
        const QScreen *screen = anchor ? anchor->screen() : this->screen();
        if (!screen)
            return;
        m_monitor = screen->geometry();
    }
    if (frame.isNull()) {
        const QRect outer = frameGeometry();
        const QPoint target = ChooserPosition(m_monitor, outer.size());
        if (outer.topLeft() != target)
            move(target);
        return;
    }
    // Framed: the outer size by the window manager's own extents, which Qt
    // may not know yet, and the frame's corner asked for, even where Qt
    // believes it holds: the window manager may have kept its own.
    if (windowHandle())
        windowHandle()->setFramePosition(ChooserPosition(m_monitor, size().grownBy(frame)));
}
