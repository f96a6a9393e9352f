#include "chooser.h"

#include "controls.h"
#include "nearest.h"
#include "screenpicker.h"
#include "x11dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cstdio>

namespace {

QColor toQColor(TColor color)
{
    // An empty custom slot (-1) shows as white.
    return color < 0 ? QColor(Qt::white) : ToQColor(color);
}

QString html(TColor color)
{
    return QString::fromStdString(ColorToHtml(color));
}

// Eight columns, a row per family of hues and one of greys, as #RRGGBB. The
// sixteen HTML basic colour keywords are all here; the others are the named
// colours most used on web pages, so every cell has a name to look up:
// maroon brown firebrick crimson red tomato salmon pink / chocolate sienna
// darkorange orange gold yellow khaki olive / darkgreen green forestgreen
// seagreen limegreen lime yellowgreen teal / aqua turquoise deepskyblue
// dodgerblue steelblue royalblue blue navy / midnightblue slateblue indigo
// purple darkviolet orchid fuchsia deeppink / black darkslategray dimgray
// gray darkgray silver lightgray white.
constexpr int BasicColumns = 8;
constexpr std::array<unsigned, 48> BasicColors = {
    0x800000, 0xA52A2A, 0xB22222, 0xDC143C, 0xFF0000, 0xFF6347, 0xFA8072, 0xFFC0CB,
    0xD2691E, 0xA0522D, 0xFF8C00, 0xFFA500, 0xFFD700, 0xFFFF00, 0xF0E68C, 0x808000,
    0x006400, 0x008000, 0x228B22, 0x2E8B57, 0x32CD32, 0x00FF00, 0x9ACD32, 0x008080,
    0x00FFFF, 0x40E0D0, 0x00BFFF, 0x1E90FF, 0x4682B4, 0x4169E1, 0x0000FF, 0x000080,
    0x191970, 0x6A5ACD, 0x4B0082, 0x800080, 0x9400D3, 0xDA70D6, 0xFF00FF, 0xFF1493,
    0x000000, 0x2F4F4F, 0x696969, 0x808080, 0xA9A9A9, 0xC0C0C0, 0xD3D3D3, 0xFFFFFF,
};

TColor basicColor(int cell)
{
    const unsigned rgb = BasicColors[std::size_t(cell)];
    return MakeColor(int(rgb >> 16), int(rgb >> 8), int(rgb));
}

/// "赤(&R):" read aloud as "赤".
QString plainCaption(const QString &caption)
{
    QString plain = caption.left(caption.indexOf(QLatin1String("(&")));
    if (plain.endsWith(QLatin1Char(':')))
        plain.chop(1);
    return plain;
}

/// A caption beside a control: its access key moves to the control, and a
/// screen reader reads it as the control's name.
QLabel *captionFor(QWidget *control, const QString &caption)
{
    auto *label = new QLabel(caption, control->parentWidget());
    label->setBuddy(control);
    control->setAccessibleName(plainCaption(caption));
    return label;
}

} // namespace

// Hue from left to right, saturation from full at the top to none at the
// bottom, at full brightness. Arrow keys move the cross by one step.
class THueSaturationField : public QWidget
{
    Q_OBJECT

public:
    explicit THueSaturationField(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(Width, Height);
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::CrossCursor);
    }

    void setHueSaturation(int hue, int saturation)
    {
        m_hue = hue;
        m_saturation = saturation;
        update();
    }

signals:
    void picked(int hue, int saturation);

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_image.isNull()) {
            m_image = QImage(Width, Height, QImage::Format_RGB32);
            for (int y = 0; y < Height; ++y) {
                auto *line = reinterpret_cast<QRgb *>(m_image.scanLine(y));
                for (int x = 0; x < Width; ++x)
                    line[x] = toQColor(TChooserColour::HsvToColor({hueAt(x), saturationAt(y), 255})).rgb();
            }
        }
        QPainter painter(this);
        painter.drawImage(0, 0, m_image);
        const int x = m_hue * (Width - 1) / 359;
        const int y = (255 - m_saturation) * (Height - 1) / 255;
        painter.setPen(QPen(hasFocus() ? Qt::white : Qt::black, hasFocus() ? 2 : 1));
        painter.drawLine(x - 8, y, x - 3, y);
        painter.drawLine(x + 3, y, x + 8, y);
        painter.drawLine(x, y - 8, x, y - 3);
        painter.drawLine(x, y + 3, x, y + 8);
    }

    void mousePressEvent(QMouseEvent *event) override { pickAt(event->position().toPoint()); }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (event->buttons() & Qt::LeftButton)
            pickAt(event->position().toPoint());
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        int hue = m_hue;
        int saturation = m_saturation;
        switch (event->key()) {
        case Qt::Key_Left: hue = std::max(0, hue - 1); break;
        case Qt::Key_Right: hue = std::min(359, hue + 1); break;
        case Qt::Key_Up: saturation = std::min(255, saturation + 1); break;
        case Qt::Key_Down: saturation = std::max(0, saturation - 1); break;
        default: QWidget::keyPressEvent(event); return;
        }
        emit picked(hue, saturation);
    }

private:
    static constexpr int Width = 240;
    static constexpr int Height = 200;
    static int hueAt(int x) { return x * 359 / (Width - 1); }
    static int saturationAt(int y) { return 255 - y * 255 / (Height - 1); }

    void pickAt(QPoint point)
    {
        const int x = std::clamp(point.x(), 0, Width - 1);
        const int y = std::clamp(point.y(), 0, Height - 1);
        emit picked(hueAt(x), saturationAt(y));
    }

    QImage m_image;
    int m_hue = 0;
    int m_saturation = 0;
};

// Brightness of the current hue and saturation, full at the top.
class TBrightnessBar : public QWidget
{
    Q_OBJECT

public:
    explicit TBrightnessBar(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(24, 200);
        setFocusPolicy(Qt::StrongFocus);
    }

    void setColor(const THsv &hsv)
    {
        m_top = toQColor(TChooserColour::HsvToColor({hsv.Hue, hsv.Saturation, 255}));
        m_value = hsv.Value;
        update();
    }

signals:
    void picked(int value);

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height() - 1);
        gradient.setColorAt(0, m_top);
        gradient.setColorAt(1, Qt::black);
        painter.fillRect(QRect(0, 0, 16, height()), gradient);
        const int y = (255 - m_value) * (height() - 1) / 255;
        painter.setBrush(hasFocus() ? palette().highlight() : palette().windowText());
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(QPolygon({QPoint(17, y), QPoint(23, y - 5), QPoint(23, y + 5)}));
    }

    void mousePressEvent(QMouseEvent *event) override { pickAt(event->position().toPoint().y()); }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (event->buttons() & Qt::LeftButton)
            pickAt(event->position().toPoint().y());
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        switch (event->key()) {
        case Qt::Key_Up: emit picked(std::min(255, m_value + 1)); break;
        case Qt::Key_Down: emit picked(std::max(0, m_value - 1)); break;
        default: QWidget::keyPressEvent(event); return;
        }
    }

private:
    void pickAt(int y)
    {
        y = std::clamp(y, 0, height() - 1);
        emit picked(255 - y * 255 / (height() - 1));
    }

    QColor m_top = Qt::white;
    int m_value = 0;
};

// One cell of a colour grid. Only the grid's current cell is a Tab stop;
// the arrow keys ask the grid to move the focus, and Space or Enter picks.
class TSwatch : public QAbstractButton
{
    Q_OBJECT

public:
    explicit TSwatch(QWidget *parent)
        : QAbstractButton(parent)
    {
        setFixedSize(24, 20);
        setFocusPolicy(Qt::ClickFocus);
    }

    TColor swatch() const { return m_color; }
    void setSwatch(TColor color, const QString &name)
    {
        m_color = color;
        setAccessibleName(name);
        setToolTip(name);
        update();
    }

signals:
    void stepped(int key);
    void focused();

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), isChecked() ? palette().highlight() : palette().window());
        painter.fillRect(rect().adjusted(3, 3, -3, -3), toQColor(m_color));
        painter.setPen(palette().dark().color());
        painter.drawRect(rect().adjusted(3, 3, -4, -4));
        if (hasFocus()) {
            // Drawn over the checked mark too, so the focus always shows.
            painter.setPen(QPen(palette().windowText(), 2));
            painter.drawRect(rect().adjusted(1, 1, -1, -1));
        }
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                break;
            emit stepped(event->key());
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Picks the cell; the dialog's default button is not pressed.
            click();
            return;
        default:
            break;
        }
        QAbstractButton::keyPressEvent(event);
    }

    void focusInEvent(QFocusEvent *event) override
    {
        QAbstractButton::focusInEvent(event);
        emit focused();
    }

private:
    TColor m_color = -1;
};

// A grid of swatches that takes the focus once, as one control: the cell
// that last had the focus is the grid's only Tab stop.
class TSwatchGrid : public QWidget
{
    Q_OBJECT

public:
    TSwatchGrid(int count, int columns, bool checkable, QWidget *parent)
        : QWidget(parent)
        , m_group(new QButtonGroup(this))
        , m_columns(columns)
    {
        m_group->setExclusive(checkable);
        auto *layout = new QGridLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(2);
        for (int cell = 0; cell < count; ++cell) {
            auto *swatch = new TSwatch(this);
            swatch->setCheckable(checkable);
            m_group->addButton(swatch, cell);
            layout->addWidget(swatch, cell / columns, cell % columns);
            connect(swatch, &TSwatch::stepped, this, [this, cell](int key) { step(cell, key); });
            connect(swatch, &TSwatch::focused, this, [this, cell] { makeTabStop(cell); });
        }
        // The grid's caption and a click between cells reach the current cell.
        setFocusPolicy(Qt::ClickFocus);
        setAccessibleDescription(QStringLiteral("矢印キーで色を移り、スペースか Enter で選びます"));
        makeTabStop(0);
        connect(m_group, &QButtonGroup::idClicked, this, &TSwatchGrid::picked);
    }

    TSwatch *cell(int index) const { return static_cast<TSwatch *>(m_group->button(index)); }
    int count() const { return int(m_group->buttons().size()); }

signals:
    void picked(int cell);

private:
    void step(int from, int key)
    {
        const int last = count() - 1;
        int to = from;
        switch (key) {
        case Qt::Key_Left: to = std::max(0, from - 1); break;
        case Qt::Key_Right: to = std::min(last, from + 1); break;
        case Qt::Key_Up: to = from >= m_columns ? from - m_columns : from; break;
        case Qt::Key_Down: to = from + m_columns <= last ? from + m_columns : from; break;
        case Qt::Key_Home: to = 0; break;
        case Qt::Key_End: to = last; break;
        }
        cell(to)->setFocus(Qt::OtherFocusReason);
    }

    void makeTabStop(int index)
    {
        if (m_tabStop >= 0)
            cell(m_tabStop)->setFocusPolicy(Qt::ClickFocus);
        m_tabStop = index;
        cell(index)->setFocusPolicy(Qt::StrongFocus);
        setFocusProxy(cell(index));
    }

    QButtonGroup *m_group;
    int m_columns;
    int m_tabStop = -1;
};

// The typed colour is read on Enter or when the focus leaves. Enter is kept
// here: it reads the text and does not also press OK.
class TTypedColorEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TTypedColorEdit(QWidget *parent)
        : QLineEdit(parent)
    {
    }

signals:
    void submitted();

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            emit submitted();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }

    void focusOutEvent(QFocusEvent *event) override
    {
        QLineEdit::focusOutEvent(event);
        emit submitted();
    }
};

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

    createBasicColours();
    createCustomColours();
    createColourField();
    createNumbers();
    createTypedColour();
    createPreview();
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

void TColorChooser::createBasicColours()
{
    m_basic = new TSwatchGrid(int(BasicColors.size()), BasicColumns, false, this);
    m_basic->setObjectName(QStringLiteral("basicColors"));
    for (int cell = 0; cell < m_basic->count(); ++cell) {
        const TColor color = basicColor(cell);
        const auto name = NameForColor(color);
        m_basic->cell(cell)->setSwatch(color, name ? html(color) + QLatin1Char(' ') + QString::fromUtf8(*name)
                                                   : html(color));
    }
    m_basicLabel = captionFor(m_basic, QStringLiteral("基本色(&B):"));
    connect(m_basic, &TSwatchGrid::picked, this,
            [this](int cell) { setColor(basicColor(cell)); });
}

void TColorChooser::createCustomColours()
{
    m_customGrid = new TSwatchGrid(CustomColorCount, 8, true, this);
    m_customGrid->setObjectName(QStringLiteral("customColors"));
    for (int slot = 0; slot < CustomColorCount; ++slot) {
        TSwatch *swatch = m_customGrid->cell(slot);
        swatch->setObjectName(QString::fromStdString(TColorDialog::slotKey(slot)));
        const TColor color = m_custom[std::size_t(slot)];
        swatch->setSwatch(color, color < 0 ? QStringLiteral("空き") : html(color));
    }
    m_customLabel = captionFor(m_customGrid, QStringLiteral("作成した色(&C):"));
    connect(m_customGrid, &TSwatchGrid::picked, this, &TColorChooser::pickCustomSlot);

    // Added colours fill the empty slots first; the checked slot takes the next.
    const auto empty = std::find(m_custom.begin(), m_custom.end(), -1);
    m_nextSlot = empty == m_custom.end() ? 0 : int(empty - m_custom.begin());
    m_customGrid->cell(m_nextSlot)->setChecked(true);
}

void TColorChooser::createColourField()
{
    m_field = new THueSaturationField(this);
    m_field->setObjectName(QStringLiteral("hueSaturationField"));
    // The field and the bar are HSV's saturation and value, the boxes HSL's
    // saturation and lightness: each caption says which.
    m_fieldLabel = captionFor(m_field, QStringLiteral("色相と彩度 (HSV)(&F):"));
    m_brightness = new TBrightnessBar(this);
    m_brightness->setObjectName(QStringLiteral("brightnessBar"));
    m_brightnessLabel = captionFor(m_brightness, QStringLiteral("明るさ (HSV)(&V)"));
    connect(m_field, &THueSaturationField::picked, this, [this](int hue, int saturation) {
        m_colour.pickHueSaturation(hue, saturation);
        refresh();
    });
    connect(m_brightness, &TBrightnessBar::picked, this, [this](int value) {
        m_colour.pickValue(value);
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
        m_numbers->addWidget(captionFor(spin, caption), i / 2, (i % 2) * 2);
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

void TColorChooser::createTypedColour()
{
    m_typed = new TTypedColorEdit(this);
    m_typed->setObjectName(QStringLiteral("typedColor"));
    m_typed->setToolTip(QStringLiteral("#RRGGBB、RRGGBB、#RGB、rgb(r, g, b) または色の名前"));
    m_typedLabel = captionFor(m_typed, QStringLiteral("HTML色(&T):"));
    m_typedError = new QLabel(this);
    m_typedError->setObjectName(QStringLiteral("typedColorError"));
    const QString message = QString::fromUtf8(ConvertErrorMessage);
    // Room for the message from the start, so the dialog never grows.
    m_typedError->setMinimumWidth(m_typedError->fontMetrics().horizontalAdvance(message) + 4);
    connect(m_typed, &TTypedColorEdit::submitted, this, &TColorChooser::applyTypedColour);
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
    original.setColor(QPalette::Window, toQColor(m_original));
    m_originalPreview->setPalette(original);
    m_originalPreview->setAccessibleDescription(html(m_original));
    m_originalPreview->setToolTip(html(m_original));
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

void TColorChooser::createButtons(unsigned flags)
{
    m_add = new QPushButton(QStringLiteral("色の追加(&A)"), this);
    m_add->setObjectName(QStringLiteral("addCustomColor"));
    m_add->setAutoDefault(false);
    connect(m_add, &QPushButton::clicked, this, &TColorChooser::addCustomColor);

    m_pick = new QPushButton(QStringLiteral("スポイト(&P)"), this);
    m_pick->setObjectName(QStringLiteral("pickFromScreen"));
    m_pick->setAutoDefault(false);
    m_picker = new TScreenPicker(this);
    connect(m_pick, &QPushButton::clicked, this, &TColorChooser::pickFromScreen);
    connect(m_picker, &TScreenPicker::availabilityChanged, this, &TColorChooser::showPickerAvailability);
    connect(m_picker, &TScreenPicker::picked, this, &TColorChooser::setColor);
    showPickerAvailability();

    auto *buttons = new QDialogButtonBox(this);
    m_buttons = buttons;
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (flags & TChooseColorRequest::ShowHelp) {
        // No help topic is attached, so the button does nothing.
        QPushButton *help = buttons->addButton(QStringLiteral("ヘルプ(&H)"), QDialogButtonBox::HelpRole);
        help->setObjectName(QStringLiteral("help"));
    }
}

void TColorChooser::layOut(unsigned flags)
{
    auto *left = new QVBoxLayout;
    left->addWidget(m_basicLabel);
    left->addWidget(m_basic);
    left->addSpacing(8);
    left->addWidget(m_customLabel);
    left->addWidget(m_customGrid);
    left->addWidget(m_add);
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
    typed->addWidget(m_typed);
    typed->addWidget(m_typedError);
    full->addLayout(typed, 4, 0, 1, 2);
    full->addWidget(m_pick, 5, 0, 1, 2, Qt::AlignLeft);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addSpacing(12);
    columns->addWidget(fullPart);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    if (!(flags & TChooseColorRequest::FullOpen)) {
        fullPart->hide();
        auto *define = new QPushButton(QStringLiteral("色の作成(&D) >>"), this);
        define->setObjectName(QStringLiteral("defineCustomColors"));
        define->setAutoDefault(false);
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

    // The left column first, then the boxes row by row as they stand.
    QWidget *const order[] = {m_customGrid->cell(CustomColorCount - 1), m_add, m_field, m_brightness, m_hue, m_red, m_saturation, m_green, m_lightness, m_blue,
                              m_typed, m_pick};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TColorChooser::setColor(TColor color)
{
    m_colour.setColor(color);
    refresh();
}

void TColorChooser::editHsl()
{
    if (m_refreshing)
        return;
    m_colour.setHsl({m_hue->value(), m_saturation->value(), m_lightness->value()});
    refresh();
}

void TColorChooser::applyTypedColour()
{
    const QString text = m_typed->text();
    if (text == html(m_colour.color()))
        return;
    const QByteArray bytes = text.toUtf8();
    if (const auto color = ParseTypedColor(std::string_view(bytes.constData(), std::size_t(bytes.size())))) {
        setColor(*color);
        return;
    }
    // The colour stays; the field says why until its text changes.
    QPalette marked = m_typed->palette();
    marked.setColor(QPalette::Base, QColor(255, 220, 220));
    marked.setColor(QPalette::Text, Qt::black);
    m_typed->setPalette(marked);
    const QString message = QString::fromUtf8(ConvertErrorMessage);
    m_typedError->setText(message);
    m_typed->setAccessibleDescription(message);
}

void TColorChooser::pickFromScreen()
{
    // The dialog stays on screen: the picker reads the screen under the
    // pointer, and the user may well want a colour from the dialog itself.
    m_picker->start(this);
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
    const TColor color = m_colour.color();
    const THsl hsl = m_colour.hsl();
    const THsv hsv = m_colour.hsv();
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
    palette.setColor(QPalette::Window, toQColor(color));
    m_preview->setPalette(palette);
    m_preview->setAccessibleDescription(html(color));
    m_preview->setToolTip(html(color));
    if (m_typed->text() != html(color))
        m_typed->setText(html(color));

    const TNearestColor nearest = NearestNamedColor(color);
    const std::string_view name = NameOfRow(nearest.Row);
    const QString shown = QString::fromUtf8(name);
    if (nearest.Distance == 0) {
        m_nearest->setText(shown);
    } else {
        char distance[16];
        std::snprintf(distance, sizeof distance, "%.1f", nearest.Distance);
        m_nearest->setText(QStringLiteral("近い色 %1 (ΔE %2)").arg(shown, QLatin1String(distance)));
    }
}

void TColorChooser::addCustomColor()
{
    const TColor color = m_colour.color();
    m_custom[std::size_t(m_nextSlot)] = color;
    m_customGrid->cell(m_nextSlot)->setSwatch(color, html(color));
    m_nextSlot = (m_nextSlot + 1) % CustomColorCount;
    m_customGrid->cell(m_nextSlot)->setChecked(true);
}

void TColorChooser::pickCustomSlot(int slot)
{
    // The slot also receives the next added colour.
    m_nextSlot = slot;
    if (m_custom[std::size_t(slot)] >= 0)
        setColor(m_custom[std::size_t(slot)]);
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
        const QPoint target = TColorDialog::chooserPosition(m_monitor, outer.size());
        if (outer.topLeft() != target)
            move(target);
        return;
    }
    // Framed: the outer size by the window manager's own extents, which Qt
    // may not know yet, and the frame's corner asked for, even where Qt
    // believes it holds: the window manager may have kept its own.
    if (windowHandle())
        windowHandle()->setFramePosition(TColorDialog::chooserPosition(m_monitor, size().grownBy(frame)));
}

#include "chooser.moc"
