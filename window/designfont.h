// The window's fonts: its design family at a pixel height.
#pragma once

#include <QApplication>
#include <QFont>

/// The design family ("ＭＳ Ｐゴシック", else IPA's proportional Gothic, else
/// the desktop's sans-serif) at a height in pixels.
QFont DesignFont(int height);

// QLineEdit lays its text out in the application's font while it is being
// built, before it takes the font it is given. With the window's font standing
// in as the application's until the controls exist, the platform's default
// family is never resolved, which would cost its own engine and fallback list
// before the first paint.
class TApplicationFontWhileBuilding
{
public:
    explicit TApplicationFontWhileBuilding(const QFont &font)
    {
        QApplication::setFont(font);
    }
    ~TApplicationFontWhileBuilding() { QApplication::setFont(m_saved); }
    Q_DISABLE_COPY_MOVE(TApplicationFontWhileBuilding)

private:
    const QFont m_saved = QApplication::font();
};
