// The chooser's new colour as text on a background of the user's choosing:
// a sample at WCAG's normal and large sizes, the pair's WCAG 2 and APCA
// figures, the nearest colours that would pass AA, and the pair as people
// with a colour-vision deficiency see it. The background is set from the
// new colour (so every way of choosing a colour chooses it too) or swapped
// with it; the panel asks the chooser for a new text colour by textWanted.
#pragma once

#include "textpair.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TPairSample;

class TPairPanel : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TPairPanel)

public:
    explicit TPairPanel(QWidget *parent);

    void setTextColor(TColor color);
    TColor background() const { return m_background; }
    void setBackground(TColor color);

    /// The panel's controls in tab order, for the chooser's.
    QList<QWidget *> tabStops() const;

signals:
    /// The user asked for this text colour: the swapped background, or the
    /// nearest text colour that passes.
    void textWanted(TColor color);

private:
    void createControls();
    void layOut();
    void swap();
    void refresh();
    void execCopyMenu(const QPoint &globalPos);
    TVision vision() const;
    double severity() const;

    TColor m_text = 0;
    TColor m_background = MakeColor(255, 255, 255);
    TPairFigures m_figures;

    TPairSample *m_sample = nullptr;
    QLabel *m_sampleLabel = nullptr;
    QLabel *m_figuresText = nullptr;
    QPushButton *m_toBackground = nullptr;
    QPushButton *m_swap = nullptr;
    QPushButton *m_nearestText = nullptr;
    QPushButton *m_nearestBackground = nullptr;
    QComboBox *m_vision = nullptr;
    QLabel *m_visionLabel = nullptr;
    QSpinBox *m_severity = nullptr;
    QLabel *m_severityLabel = nullptr;
};
