#include "chooser.h"

#include "controls.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QColor toQColor(TColor color)
{
    // An empty custom slot (-1) shows as white.
    if (color < 0)
        return Qt::white;
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
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
        setAccessibleName(QStringLiteral("色合いと鮮やかさ"));
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
            for (int y = 0; y < Height; ++y)
                for (int x = 0; x < Width; ++x)
                    m_image.setPixel(x, y, QColor::fromHsv(hueAt(x), saturationAt(y), 255).rgb());
        }
        QPainter painter(this);
        painter.drawImage(0, 0, m_image);
        const int x = m_hue * (Width - 1) / 359;
        const int y = (255 - m_saturation) * (Height - 1) / 255;
        painter.setPen(hasFocus() ? Qt::white : Qt::black);
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
        setAccessibleName(QStringLiteral("明るさ"));
    }

    void setColor(int hue, int saturation, int value)
    {
        m_top = QColor::fromHsv(hue, saturation, 255);
        m_value = value;
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

// One custom colour slot; pressing it makes its colour current.
class TSwatchButton : public QPushButton
{
    Q_OBJECT

public:
    explicit TSwatchButton(QWidget *parent)
        : QPushButton(parent)
    {
        setFixedSize(24, 20);
        setCheckable(true);
        setAutoDefault(false);
    }

    void setSwatch(TColor color)
    {
        m_color = color;
        setAccessibleName(color < 0 ? QStringLiteral("空き")
                                    : QString::fromStdString(ColorToHtml(color)));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), isChecked() || hasFocus() ? palette().highlight() : palette().button());
        painter.fillRect(rect().adjusted(3, 3, -3, -3), toQColor(m_color));
        painter.setPen(palette().dark().color());
        painter.drawRect(rect().adjusted(3, 3, -4, -4));
    }

private:
    TColor m_color = -1;
};

TColorChooser::TColorChooser(const TChooseColorRequest &request)
    : QDialog(request.owner)
    , m_custom(request.customColors)
{
    setWindowTitle(QStringLiteral("色の設定"));
    setObjectName(QStringLiteral("ColorChooser"));
    setModal(true);

    auto *customLabel = new QLabel(QStringLiteral("作成した色(&C):"), this);
    auto *customGrid = new QGridLayout;
    customGrid->setSpacing(2);
    for (int slot = 0; slot < CustomColorCount; ++slot) {
        auto *swatch = new TSwatchButton(this);
        swatch->setObjectName(QString::fromStdString(TColorDialog::slotKey(slot)));
        swatch->setSwatch(m_custom[std::size_t(slot)]);
        connect(swatch, &QPushButton::clicked, this, [this, slot] { pickCustomSlot(slot); });
        customGrid->addWidget(swatch, slot / 8, slot % 8);
        m_swatches[std::size_t(slot)] = swatch;
    }
    customLabel->setBuddy(m_swatches[0]);

    m_field = new THueSaturationField(this);
    m_brightness = new TBrightnessBar(this);
    m_preview = new QFrame(this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_preview->setFixedSize(64, 40);
    m_preview->setAutoFillBackground(true);
    m_preview->setAccessibleName(QStringLiteral("色|純色"));

    const auto spin = [this](const char *name) {
        auto *box = new QSpinBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(0, 255);
        box->setAccelerated(true);
        connect(box, &QSpinBox::valueChanged, this, [this] {
            if (!m_refreshing)
                setColor(MakeColor(m_red->value(), m_green->value(), m_blue->value()));
        });
        return box;
    };
    m_red = spin("red");
    m_green = spin("green");
    m_blue = spin("blue");
    auto *numbers = new QFormLayout;
    numbers->addRow(QStringLiteral("赤(&R):"), m_red);
    numbers->addRow(QStringLiteral("緑(&G):"), m_green);
    numbers->addRow(QStringLiteral("青(&U):"), m_blue);

    auto *add = new QPushButton(QStringLiteral("色の追加(&A)"), this);
    add->setObjectName(QStringLiteral("addCustomColor"));
    add->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &TColorChooser::addCustomColor);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (request.flags & TChooseColorRequest::ShowHelp) {
        // No help topic is attached, so the button does nothing.
        QPushButton *help = buttons->addButton(QStringLiteral("ヘルプ(&H)"), QDialogButtonBox::HelpRole);
        help->setObjectName(QStringLiteral("help"));
    }

    auto *customColumn = new QVBoxLayout;
    customColumn->addWidget(customLabel);
    customColumn->addLayout(customGrid);
    customColumn->addStretch();

    // The field, the bar and the numbers are the "full open" part; without
    // full open a button opens it, and prevent-full-open disables that.
    auto *fullPart = new QWidget(this);
    auto *fullLayout = new QGridLayout(fullPart);
    fullLayout->setContentsMargins(0, 0, 0, 0);
    fullLayout->addWidget(m_field, 0, 0, 1, 2);
    fullLayout->addWidget(m_brightness, 0, 2);
    fullLayout->addWidget(m_preview, 1, 0, Qt::AlignTop);
    fullLayout->addLayout(numbers, 1, 1, 1, 2);
    fullLayout->addWidget(add, 2, 0, 1, 3);

    auto *columns = new QHBoxLayout;
    columns->addLayout(customColumn);
    columns->addWidget(fullPart);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    if (!(request.flags & TChooseColorRequest::FullOpen)) {
        fullPart->hide();
        auto *define = new QPushButton(QStringLiteral("色の作成(&D) >>"), this);
        define->setObjectName(QStringLiteral("defineCustomColors"));
        define->setAutoDefault(false);
        define->setEnabled(!(request.flags & TChooseColorRequest::PreventFullOpen));
        connect(define, &QPushButton::clicked, this, [fullPart, define] {
            fullPart->show();
            define->setEnabled(false);
        });
        layout->addWidget(define);
    }
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_field, &THueSaturationField::picked, this,
            [this](int hue, int saturation) { setHsv(hue, saturation, m_value); });
    connect(m_brightness, &TBrightnessBar::picked, this,
            [this](int value) { setHsv(m_hue, m_saturation, value); });

    // Added colours fill the empty slots first.
    const auto empty = std::find(m_custom.begin(), m_custom.end(), -1);
    m_nextSlot = empty == m_custom.end() ? 0 : int(empty - m_custom.begin());

    setColor(request.flags & TChooseColorRequest::RgbInit ? request.initialColor : 0);
    m_field->setFocus();
}

void TColorChooser::setColor(TColor color)
{
    m_color = color & 0xFFFFFF;
    int hue = 0;
    int saturation = 0;
    int value = 0;
    toQColor(m_color).getHsv(&hue, &saturation, &value);
    // A grey has no hue and black no saturation: keep the cross where it was.
    m_hue = hue < 0 ? m_hue : hue;
    if (value > 0)
        m_saturation = saturation;
    m_value = value;
    refresh();
}

void TColorChooser::setHsv(int hue, int saturation, int value)
{
    m_hue = hue;
    m_saturation = saturation;
    m_value = value;
    const QColor rgb = QColor::fromHsv(hue, saturation, value);
    m_color = MakeColor(rgb.red(), rgb.green(), rgb.blue());
    refresh();
}

void TColorChooser::refresh()
{
    m_refreshing = true;
    m_red->setValue(GetRValue(m_color));
    m_green->setValue(GetGValue(m_color));
    m_blue->setValue(GetBValue(m_color));
    m_refreshing = false;
    m_field->setHueSaturation(m_hue, m_saturation);
    m_brightness->setColor(m_hue, m_saturation, m_value);
    QPalette palette = m_preview->palette();
    palette.setColor(QPalette::Window, toQColor(m_color));
    m_preview->setPalette(palette);
    m_preview->setAccessibleDescription(QString::fromStdString(ColorToHtml(m_color)));
}

void TColorChooser::addCustomColor()
{
    m_custom[std::size_t(m_nextSlot)] = m_color;
    m_swatches[std::size_t(m_nextSlot)]->setSwatch(m_color);
    m_nextSlot = (m_nextSlot + 1) % CustomColorCount;
}

void TColorChooser::pickCustomSlot(int slot)
{
    for (TSwatchButton *swatch : m_swatches)
        swatch->setChecked(swatch == m_swatches[std::size_t(slot)]);
    // The slot also receives the next added colour.
    m_nextSlot = slot;
    if (m_custom[std::size_t(slot)] >= 0)
        setColor(m_custom[std::size_t(slot)]);
}

void TColorChooser::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Placed on the whole monitor of the active window (or of the owner),
    // its work area aside; only the position changes.
    const QWidget *anchor = QApplication::activeWindow() ? QApplication::activeWindow() : parentWidget();
    const QScreen *screen = anchor ? anchor->screen() : this->screen();
    if (screen)
        move(TColorDialog::chooserPosition(screen->geometry(), frameGeometry().size()));
}

#include "chooser.moc"
