// The chooser's palette: the colours of the run (picked from the screen or
// confirmed with OK, most recent first) as a row of cells, and a menu that
// copies the custom colours or the run's colours as CSS custom properties,
// Sass variables, JSON, a GIMP palette or a list, and pastes the colours of
// whatever text the clipboard holds. The text is read off the event loop;
// what it held is said in Japanese below the menu. The panel keeps nothing:
// the chooser hands it the custom colours and takes back a paste.
#pragma once

#include "chooserrequest.h"
#include "palette.h"
#include "palettescan.h"

#include <QWidget>

#include <atomic>
#include <memory>
#include <vector>

class QLabel;
class QMenu;
class QPushButton;
class QThread;
class TColorGrid;
struct TCopyForm;

class TPalettePanel : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TPalettePanel)

public:
    explicit TPalettePanel(QWidget *parent);
    ~TPalettePanel() override;

    TRunColors runColors() const { return m_run; }
    void setRunColors(const TRunColors &colors);
    /// Puts a picked colour first among the run's.
    void addRunColor(TColor color);

    /// The form the copied values are written in: a copy form's access key.
    char valueForm() const;
    void setValueForm(char accessKey);

    /// The custom colours as they stand, for copying.
    void setCustomColors(const TCustomColors &colors) { m_custom = colors; }
    /// Whether "貼り付けを元に戻す" can take back a paste.
    void setUndoAvailable(bool available);

    /// Reads the clipboard's text off the event loop; pasted() follows when
    /// it held colours, and the panel says what it took and left.
    void paste();
    /// True while the clipboard's text is being read.
    bool isReading() const { return m_reader != nullptr; }

    /// The row of the run's colours and the menu button, for the chooser's
    /// layout and tab order.
    QWidget *runGrid() const;
    QLabel *runCaption() const { return m_runCaption; }
    QPushButton *menuButton() const { return m_menuButton; }
    QLabel *message() const { return m_message; }

signals:
    /// The user asked for this colour as the new colour.
    void colorWanted(TColor color);
    /// The user asked for this colour among the custom colours.
    void customColorWanted(TColor color);
    /// A pasted text's colours, at most sixteen, for the custom colours
    /// from the first cell.
    void pasted(const std::vector<TColor> &colors);
    void undoWanted();

private:
    void createMenu();
    void addFormatItems(QMenu *menu, bool custom);
    void copy(bool custom, TPaletteFormat format);
    void showRunColors();
    void execCellMenu(int cell, const QPoint &globalPos);
    void applyScan(const TPaletteScan &scan, bool cut);
    void say(const QString &text);

    TRunColors m_run;
    TCustomColors m_custom = EmptyCustomColors;
    const TCopyForm *m_form = nullptr;

    QThread *m_reader = nullptr;
    std::shared_ptr<std::atomic<bool>> m_stop;

    TColorGrid *m_runGrid = nullptr;
    QLabel *m_runCaption = nullptr;
    QPushButton *m_menuButton = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_paste = nullptr;
    QAction *m_undo = nullptr;
    QLabel *m_message = nullptr;
};
