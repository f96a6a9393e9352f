// What the chooser does with an edit, a pick or a press: the model takes the
// change, and refresh() shows the model's numbers in every control.
#include "colorchooser.h"

#include "csstext.h"
#include "nearest.h"
#include "colorfield.h"
#include "colorgrid.h"
#include "screenpicker.h"
#include "typedcoloredit.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

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
    showPickMessage(QString());
}

void TColorChooser::addCustomColor()
{
    const TColor color = m_model.color();
    m_custom[std::size_t(m_nextSlot)] = color;
    m_customGrid->cell(m_nextSlot)->setColor(color, ToHtmlText(color));
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
