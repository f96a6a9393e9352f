// The window's Ctrl+C, which copies the mix, and the keyboard's way to the
// mix's copy menu.
#pragma once

#include <QObject>
#include <QString>

#include <optional>

class TPanel;
class QWidget;

/// Copying the mix from anywhere in the window. Ctrl+C copies the large
/// swatch's "#RRGGBB", unless the focused edit box or any read-out has
/// selected text, which is copied as usual (the list, too, would copy its
/// row's name otherwise). The context-menu key (Menu, Shift+F10) on a control with no
/// menu of its own opens the large swatch's copy menu, since the swatch
/// itself takes no focus.
class TMixCopy : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TMixCopy)

public:
    /// Watches the window and every widget in it, also those added later;
    /// the mix is the large swatch.
    TMixCopy(QWidget *window, TPanel *mix);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::optional<QString> selectedReadout() const;

    QWidget *m_window;
    TPanel *m_mix;
};
