#include "colordialog.h"

#include "colorchooser.h"
#include "controls.h"

#include <QApplication>
#include <QPointer>

TColorDialog::TColorDialog(QObject *parent)
    : QObject(parent)
{
}

std::map<std::string, std::string> TColorDialog::customColors() const
{
    std::map<std::string, std::string> entries;
    if (!m_customColorsStored)
        return entries;
    for (int slot = 0; slot < CustomColorCount; ++slot) {
        // At least six upper-case digits: an empty slot is "FFFFFFFF".
        const auto value = static_cast<unsigned>(m_customColors[std::size_t(slot)]);
        const QString text = QString::number(value, 16).toUpper().rightJustified(6, QLatin1Char('0'));
        entries[CustomSlotKey(slot)] = text.toStdString();
    }
    return entries;
}

TChooseColorRequest TColorDialog::request(QWidget *owner) const
{
    TChooseColorRequest request;
    request.initialColor = ColorToRGB(m_color);
    request.customColors = m_customColors;
    request.flags = TChooseColorRequest::RgbInit | TChooseColorRequest::EnableHook;
    if (m_options & cdFullOpen)
        request.flags |= TChooseColorRequest::FullOpen;
    if (m_options & cdPreventFullOpen)
        request.flags |= TChooseColorRequest::PreventFullOpen;
    if (m_options & cdShowHelp)
        request.flags |= TChooseColorRequest::ShowHelp;
    if (m_options & cdSolidColor)
        request.flags |= TChooseColorRequest::SolidColor;
    if (m_options & cdAnyColor)
        request.flags |= TChooseColorRequest::AnyColor;
    request.owner = owner;
    return request;
}

bool TColorDialog::execute(QWidget *owner)
{
    // The active window and the focus come back when the chooser closes,
    // with or without a window manager to hand them back.
    const QPointer<QWidget> active = QApplication::activeWindow();
    const QPointer<QWidget> focus = QApplication::focusWidget();
    TColorChooser chooser(request(owner));
    chooser.setBackground(m_background);
    chooser.setRunColors(m_runColors);
    chooser.setPaletteForm(m_paletteForm);
    const bool confirmed = chooser.exec() == QDialog::Accepted;
    chooser.hide();
    // The page's background, the picks and the copy form outlive a Cancel,
    // which refuses a colour.
    m_background = chooser.background();
    m_runColors = chooser.runColors();
    m_paletteForm = chooser.paletteForm();
    if (active)
        active->activateWindow();
    if (focus)
        focus->setFocus();
    if (!confirmed)
        return false;
    m_color = chooser.color();
    m_runColors.add(m_color);
    m_customColors = chooser.customColors();
    m_customColorsStored = true;
    return true;
}
