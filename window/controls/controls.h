// The control layer (the name list is in listbox.h): thin wrappers around Qt widgets that give the window's
// handlers exactly the behaviour they rely on. A slider clamps a position
// before storing it and notifies synchronously only on a real change; the
// list raises its click notification after every selection change the user
// makes and never for one made from code; a panel is filled with a TColor.
// The layers above hand down what the controls call up to: the panels'
// description and copy menu, and the check for an exception that a handler
// left inside a setter.
#pragma once

#include "colour.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <functional>
#include <optional>
#include <vector>

/// The system button-face colour as a symbolic TColor: negative, with the
/// system colour index 15 in its low byte.
inline constexpr TColor clBtnFace = TColor(0x8000000F);

/// A TColor resolved to plain red-green-blue: a non-negative value is
/// returned unchanged, a symbolic system colour is replaced by the current
/// palette's colour: the button face for clBtnFace (the only one the
/// program uses), the window colour for any other.
TColor ColorToRGB(TColor color);

/// The colour's components as a QColor, the top byte ignored.
inline QColor ToQColor(TColor color)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

/// "#RRGGBB" (ColorToHtml) as a QString.
inline QString ToHtmlText(TColor color)
{
    return QString::fromStdString(ColorToHtml(color));
}

/// Given once by the application layer: runs after every control setter
/// whose Qt call may have run a handler through a signal, and raises there
/// an exception that the handler left. Nothing runs until it is given.
void SetAfterSignalCheck(std::function<void()> check);

class TScrollBar : public QScrollBar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TScrollBar)

public:
    explicit TScrollBar(QWidget *parent);

    int position() const { return value(); }
    /// Clamps to 0 .. 255, then raises changed() before returning, and only
    /// when the stored position really changes. An exception that left the
    /// change handler is raised again here (SetAfterSignalCheck).
    void setPosition(int position);

signals:
    void changed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

class TPanel : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TPanel)

public:
    explicit TPanel(QWidget *parent);

    /// The colour as set: a system colour stays symbolic.
    TColor color() const { return m_color; }
    void setColor(TColor color);
    /// The colour as the panel shows it: a system colour resolved.
    TColor rgb() const { return ColorToRGB(m_color); }

    /// What a panel offers beyond its fill, given by the swatch layer: the
    /// description of its colour and the copy menu at a point on the screen.
    using Describe = std::function<QString(TColor rgb)>;
    using CopyMenu = std::function<void(TColor rgb, const QPoint &globalPos, QWidget *parent)>;
    void setFeatures(Describe describe, CopyMenu copyMenu);

    /// The colour as the tooltip shows it and an assistive technology reads
    /// it: "#FFD700 gold · 白 1.4:1 · 黒 15.0:1"; empty without features.
    QString description() const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    /// The copy menu of the panel's own colour.
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    TColor m_color = clBtnFace;
    Describe m_describe;
    CopyMenu m_copyMenu;
};

/// Plain static text that sizes itself to its text: the size follows each
/// new text before the next paint, once however often the text changed.
class TLabel : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLabel)

public:
    explicit TLabel(QWidget *parent);

    /// Sets the text, and the size to fit it before the next paint.
    void setCaption(const QString &text);

    /// Lets the user select the text with the mouse and copy it.
    void setSelectable(bool selectable);

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void startSelecting();

    bool m_selectable = false;
};

class TEdit : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TEdit)

public:
    explicit TEdit(QWidget *parent);

    /// Sets the text, laying it out only when it really changes. An exception
    /// that left a handler of the change is raised again here
    /// (SetAfterSignalCheck).
    void changeText(const QString &text);
};

/// A push button that Enter and Return press too, as Space does.
class TButton : public QPushButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TButton)

public:
    explicit TButton(QWidget *parent);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
