#include "swatch.h"

#include "controls.h"
#include "nearest.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

namespace {

QString ratioText(double ratio)
{
    return QString::number(ratio, 'f', 1) + QStringLiteral(":1");
}

// One access key per form, in the order of CopyTexts: #, hex, rgb, hsl,
// decimal, value, name.
constexpr char AccessKeys[] = "HXRLDVN";

} // namespace

QString SwatchDescription(TColor color)
{
    QString text = QString::fromStdString(ColorToHtml(color));
    if (const auto name = NameForColor(color)) {
        text += QLatin1Char(' ') + QString::fromUtf8(*name);
    } else {
        const TNearestColor nearest = NearestNamedColor(color);
        text += QStringLiteral(" · 近い色 %1 (ΔE %2)")
                    .arg(QString::fromUtf8(NameOfRow(nearest.Row)), QString::number(nearest.Distance, 'f', 1));
    }
    text += QStringLiteral(" · 白 ") + ratioText(ContrastRatio(color, MakeColor(255, 255, 255)));
    text += QStringLiteral(" · 黒 ") + ratioText(ContrastRatio(color, MakeColor(0, 0, 0)));
    return text;
}

QStringList CopyTexts(TColor color)
{
    const QString html = QString::fromStdString(ColorToHtml(color));
    QStringList texts = {html,
                         html.mid(1),
                         QString::fromStdString(ColorToRgbText(color)),
                         QString::fromStdString(ColorToHslText(color)),
                         QString::fromStdString(ColorToDecimalText(color)),
                         QString::fromStdString(ColorToValueText(color))};
    if (const auto name = NameForColor(color))
        texts << QString::fromUtf8(*name);
    return texts;
}

void ExecCopyMenu(TColor color, const QPoint &globalPos, QWidget *parent)
{
    QMenu menu(parent);
    // The window's font for the whole item: a popup takes none from its
    // parent, and the application's would draw the digits in one face and
    // the Japanese in another.
    menu.setFont(parent->window()->font());
    menu.setAccessibleName(QStringLiteral("コピー"));
    const QStringList texts = CopyTexts(color);
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString text = texts[i];
        // No form or name holds an "&", so the item shows the text as it is.
        QAction *item = menu.addAction(QStringLiteral("%1をコピー(&%2)").arg(text, QString(QLatin1Char(AccessKeys[i]))));
        QObject::connect(item, &QAction::triggered, &menu,
                         [text] { QGuiApplication::clipboard()->setText(text); });
    }
    menu.exec(globalPos);
}

TMixCopy::TMixCopy(QWidget *window, TPanel *mix)
    : QObject(window)
    , m_window(window)
    , m_mix(mix)
{
    // The event reaches the focused control first: only there can it be
    // told whether the control has text of its own to copy.
    window->installEventFilter(this);
    for (QWidget *widget : window->findChildren<QWidget *>())
        widget->installEventFilter(this);
}

std::optional<QString> TMixCopy::selectedReadout() const
{
    // A press that starts a selection does not move the focus to the
    // read-out, so its selection is looked for wherever the focus is.
    for (const QLabel *label : m_window->findChildren<QLabel *>())
        if (label->hasSelectedText())
            return label->selectedText();
    return std::nullopt;
}

bool TMixCopy::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Copy)) {
            const auto *edit = qobject_cast<QLineEdit *>(watched);
            const auto *label = qobject_cast<QLabel *>(watched);
            if ((edit && edit->hasSelectedText()) || (label && label->hasSelectedText()))
                return false;
            QGuiApplication::clipboard()->setText(selectedReadout().value_or(
                QString::fromStdString(ColorToHtml(ColorToRGB(m_mix->color())))));
            return true;
        }
        // Shift+F10 asks for the focused control's menu, as the Menu key does.
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            const QPoint centre = widget->rect().center();
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, centre, widget->mapToGlobal(centre));
            QCoreApplication::sendEvent(widget, &menu);
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu && watched == m_mix->parentWidget()) {
        // A keyboard request that no control took has come up to the
        // window's contents.
        if (static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard) {
            ExecCopyMenu(ColorToRGB(m_mix->color()), m_mix->mapToGlobal(m_mix->rect().center()), m_mix);
            return true;
        }
    }
    return false;
}
