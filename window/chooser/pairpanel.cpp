#include "pairpanel.h"

#include "captions.h"
#include "controls.h"
#include "copyforms.h"
#include "numberbox.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace {

// WCAG's sizes: normal text from 16 px, large text from 24 px (18 pt).
constexpr int NormalTextPixels = 16;
constexpr int LargeTextPixels = 24;
constexpr int DefaultSeverityPercent = 60;

QString verdict(bool pass)
{
    return pass ? QStringLiteral("合格") : QStringLiteral("不合格");
}

// "4.47:1 · AA 不合格 · AAA 不合格", "大きな文字 AA 合格 · AAA 不合格",
// "図形・枠 3:1 合格 · APCA Lc 72.4", a line each.
QString figuresText(const TPairFigures &figures)
{
    return QStringLiteral("%1 · AA %2 · AAA %3\n大きな文字 AA %4 · AAA %5\n図形・枠 3:1 %6 · APCA Lc %7")
        .arg(QString::fromStdString(CutRatioText(figures.Ratio)), verdict(figures.Verdict.AA),
             verdict(figures.Verdict.AAA), verdict(figures.Verdict.LargeAA), verdict(figures.Verdict.LargeAAA),
             verdict(figures.NonText), QString::number(figures.Lc, 'f', 1));
}

} // namespace

/// The text colour on the background, in the colours a way of seeing
/// shows them: a line at WCAG's normal size and one at its large size, in
/// Japanese and Latin letters. Its context menu copies the pair.
class TPairSample : public QFrame
{
public:
    explicit TPairSample(QWidget *parent)
        : QFrame(parent)
    {
        setObjectName(QStringLiteral("pairSample"));
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setFocusPolicy(Qt::StrongFocus);
        setMinimumHeight(2 + 2 * LargeTextPixels + NormalTextPixels + 8);
    }

    void setColors(TColor text, TColor background)
    {
        m_text = text;
        m_background = background;
        update();
    }

    std::function<void(const QPoint &)> execMenu;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        {
            QPainter painter(this);
            const QRect area = contentsRect();
            painter.fillRect(area, ToQColor(m_background));
            painter.setPen(ToQColor(m_text));
            QFont normal = font();
            normal.setPixelSize(NormalTextPixels);
            QFont large = font();
            large.setPixelSize(LargeTextPixels);
            const QRect inside = area.adjusted(6, 2, -6, -2);
            painter.setFont(normal);
            painter.drawText(inside, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("文字の見本 Text 16px"));
            painter.setFont(large);
            painter.drawText(inside, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("大きな文字 Ag"));
        }
        QFrame::paintEvent(event);
    }

    void contextMenuEvent(QContextMenuEvent *event) override
    {
        if (execMenu)
            execMenu(event->globalPos());
    }

private:
    TColor m_text = 0;
    TColor m_background = 0;
};

TPairPanel::TPairPanel(QWidget *parent)
    : QWidget(parent)
{
    createControls();
    layOut();
    refresh();
}

QList<QWidget *> TPairPanel::tabStops() const
{
    return {m_sample, m_toBackground, m_swap, m_nearestText, m_nearestBackground, m_vision, m_severity};
}

void TPairPanel::createControls()
{
    m_sample = new TPairSample(this);
    m_sample->execMenu = [this](const QPoint &at) { execCopyMenu(at); };
    m_sampleLabel = CaptionFor(m_sample, QStringLiteral("文字と背景の見本(&M):"));
    m_figuresText = new QLabel(this);
    m_figuresText->setObjectName(QStringLiteral("pairFigures"));
    m_figuresText->setWordWrap(true);
    m_figuresText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_figuresText->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_toBackground = PlainButton(QStringLiteral("背景にする(&K)"), "toBackground", this);
    m_toBackground->setToolTip(QStringLiteral("新しい色を見本の背景にします"));
    connect(m_toBackground, &QPushButton::clicked, this, [this] { setBackground(m_text); });
    m_swap = PlainButton(QStringLiteral("入れ替え(&W)"), "swapPair", this);
    m_swap->setToolTip(QStringLiteral("文字の色と背景の色を入れ替えます"));
    connect(m_swap, &QPushButton::clicked, this, &TPairPanel::swap);
    m_nearestText = PlainButton(QString(), "nearestText", this);
    m_nearestText->setToolTip(QStringLiteral("この背景で AA を満たす、同じ色相でいちばん近い文字色にします"));
    m_nearestText->setAccessibleDescription(m_nearestText->toolTip());
    connect(m_nearestText, &QPushButton::clicked, this, [this] {
        if (m_figures.NearestText)
            emit textWanted(*m_figures.NearestText);
    });
    m_nearestBackground = PlainButton(QString(), "nearestBackground", this);
    m_nearestBackground->setToolTip(QStringLiteral("この文字色で AA を満たす、同じ色相でいちばん近い背景にします"));
    m_nearestBackground->setAccessibleDescription(m_nearestBackground->toolTip());
    connect(m_nearestBackground, &QPushButton::clicked, this, [this] {
        if (m_figures.NearestBackground)
            setBackground(*m_figures.NearestBackground);
    });
    // Shown only where the pair fails AA, in space kept for them, and as
    // wide as their longest caption (the colours' digits differ in width),
    // so the dialog never changes its size.
    int widest = 0;
    for (const QString &caption : {QStringLiteral("文字色を #WWWWWW に(&N)"),
                                   QStringLiteral("合う文字色なし(&N)"),
                                   QStringLiteral("背景を #WWWWWW に(&J)"),
                                   QStringLiteral("合う背景なし(&J)")}) {
        m_nearestText->setText(caption);
        widest = std::max(widest, m_nearestText->sizeHint().width());
    }
    for (QPushButton *button : {m_nearestText, m_nearestBackground}) {
        QSizePolicy policy = button->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        button->setSizePolicy(policy);
        button->setFixedWidth(widest);
    }
    // Room for the longest figures as they wrap in the column, which is at
    // least as wide as these buttons, so the dialog never grows and no line
    // is drawn over another.
    m_figuresText->setText(QStringLiteral("21.00:1 · AA 不合格 · AAA 不合格\n大きな文字 AA 不合格 · AAA 不合格\n"
                                          "図形・枠 3:1 不合格 · APCA Lc -108.0"));
    m_figuresText->setMinimumHeight(m_figuresText->heightForWidth(widest));

    m_vision = new QComboBox(this);
    m_vision->setObjectName(QStringLiteral("vision"));
    for (int i = 0; i < VisionCount; ++i)
        m_vision->addItem(QString::fromUtf8(VisionName(TVision(i)).data(), qsizetype(VisionName(TVision(i)).size())));
    m_visionLabel = CaptionFor(m_vision, QStringLiteral("見え方(&I):"));
    m_severity = new TNumberBox(this);
    m_severity->setObjectName(QStringLiteral("severity"));
    m_severity->setRange(0, 100);
    m_severity->setSuffix(QStringLiteral(" %"));
    m_severity->setValue(DefaultSeverityPercent);
    m_severityLabel = CaptionFor(m_severity, QStringLiteral("程度(&Y):"));
    connect(m_vision, &QComboBox::currentIndexChanged, this, &TPairPanel::refresh);
    connect(m_severity, &QSpinBox::valueChanged, this, &TPairPanel::refresh);
}

void TPairPanel::layOut()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_sampleLabel);
    layout->addWidget(m_sample);
    layout->addWidget(m_figuresText);
    auto *pair = new QHBoxLayout;
    pair->addWidget(m_toBackground);
    pair->addWidget(m_swap);
    layout->addLayout(pair);
    layout->addWidget(m_nearestText);
    layout->addWidget(m_nearestBackground);
    auto *seeing = new QGridLayout;
    seeing->addWidget(m_visionLabel, 0, 0);
    seeing->addWidget(m_vision, 0, 1);
    seeing->addWidget(m_severityLabel, 1, 0);
    seeing->addWidget(m_severity, 1, 1);
    seeing->setColumnStretch(1, 1);
    layout->addLayout(seeing);
}

void TPairPanel::setTextColor(TColor color)
{
    if (color == m_text)
        return;
    m_text = color;
    refresh();
}

void TPairPanel::setBackground(TColor color)
{
    if (color == m_background)
        return;
    m_background = color;
    refresh();
}

void TPairPanel::swap()
{
    const TColor text = m_background;
    setBackground(m_text);
    emit textWanted(text);
}

TVision TPairPanel::vision() const { return TVision(m_vision->currentIndex()); }

double TPairPanel::severity() const { return m_severity->value() / 100.0; }

void TPairPanel::refresh()
{
    m_figures = PairFigures(m_text, m_background);
    const TVision seeing = vision();
    const TColor text = SeenWith(m_text, seeing, severity());
    const TColor background = SeenWith(m_background, seeing, severity());
    m_sample->setColors(text, background);
    m_severity->setEnabled(VisionHasSeverity(seeing));

    // The figures of the pair as it is seen: a simulation judges what its
    // viewer would meet.
    QString figures = figuresText(seeing == TVision::Normal ? m_figures : PairContrast(text, background));
    QString colours = QStringLiteral("文字 %1、背景 %2").arg(ToHtmlText(m_text), ToHtmlText(m_background));
    if (seeing != TVision::Normal) {
        const QString how = m_vision->currentText()
            + (VisionHasSeverity(seeing) ? QStringLiteral(" %1 %").arg(m_severity->value()) : QString());
        colours += QStringLiteral("（%1では文字 %2、背景 %3）").arg(how, ToHtmlText(text), ToHtmlText(background));
    }
    m_figuresText->setText(figures);
    m_sample->setToolTip(colours);
    m_sample->setAccessibleDescription(colours + QStringLiteral("。") + QString(figures).replace(QLatin1Char('\n'), QStringLiteral(" · ")));

    // Where the pair fails AA, one action away from a pair that passes, or
    // word that this hue and chroma hold none.
    const bool fails = !m_figures.Verdict.AA;
    const auto offer = [fails](QPushButton *button, const std::optional<TColor> &colour, const QString &caption,
                               const QString &none) {
        button->setVisible(fails);
        button->setEnabled(colour.has_value());
        const QString text = colour ? caption.arg(ToHtmlText(*colour)) : none;
        button->setText(text);
        button->setAccessibleName(PlainCaption(text));
    };
    offer(m_nearestText, m_figures.NearestText, QStringLiteral("文字色を %1 に(&N)"),
          QStringLiteral("合う文字色なし(&N)"));
    offer(m_nearestBackground, m_figures.NearestBackground, QStringLiteral("背景を %1 に(&J)"),
          QStringLiteral("合う背景なし(&J)"));
}

void TPairPanel::execCopyMenu(const QPoint &globalPos)
{
    QMenu menu(this);
    menu.setFont(window()->font());
    menu.setAccessibleName(QStringLiteral("コピー"));
    const auto add = [&menu](const QString &copied, const QString &shown, char key) {
        QAction *item = menu.addAction(QStringLiteral("%1をコピー(&%2)").arg(shown, QString(QLatin1Char(key))));
        connect(item, &QAction::triggered, &menu, [copied] { QGuiApplication::clipboard()->setText(copied); });
    };
    for (const TCopyForm &form : CopyForms) {
        if (!form.CssValue)
            continue;
        const QString css = QStringLiteral("color: %1; background-color: %2;")
                                .arg(QString::fromStdString(*form.Text(m_text)),
                                     QString::fromStdString(*form.Text(m_background)));
        add(css, css, form.AccessKey);
    }
    const TVision seeing = vision();
    if (seeing != TVision::Normal) {
        menu.addSeparator();
        const QString how = m_vision->currentText();
        const QString text = ToHtmlText(SeenWith(m_text, seeing, severity()));
        const QString background = ToHtmlText(SeenWith(m_background, seeing, severity()));
        add(text, QStringLiteral("%1（%2の文字）").arg(text, how), 'T');
        add(background, QStringLiteral("%1（%2の背景）").arg(background, how), 'G');
    }
    menu.exec(globalPos);
}
