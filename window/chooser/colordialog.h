// The colour chooser as the window uses it. TColorDialog keeps, for the whole
// run, the colour last confirmed, the sixteen custom colour slots and its
// options; execute() builds the request from them, runs the modal
// TColorChooser and stores what was confirmed. The slots are held as colours;
// their text entries "ColorA" .. "ColorP" are formed when asked for. The
// colours of the run and the form palettes are copied in are kept beside
// them, for the run only.
#pragma once

#include "chooserrequest.h"
#include "palette.h"

#include <QFlags>
#include <QObject>

#include <map>
#include <string>

class TColorDialog : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TColorDialog)

public:
    enum Option {
        cdFullOpen = 0x01,
        cdPreventFullOpen = 0x02,
        cdShowHelp = 0x04,
        cdSolidColor = 0x08,
        cdAnyColor = 0x10,
    };
    Q_DECLARE_FLAGS(Options, Option)

    explicit TColorDialog(QObject *parent);

    /// Black at start; replaced only by a colour the user confirms.
    TColor color() const { return m_color; }

    Options options() const { return m_options; }
    void setOptions(Options options) { m_options = options; }

    /// Entries "ColorA" .. "ColorP", each the slot as a hexadecimal TColor
    /// ("%.6X", so an empty slot is "FFFFFFFF"); none before the first OK.
    std::map<std::string, std::string> customColors() const;

    /// The request for the next opening; a slot with no colour is -1.
    TChooseColorRequest request(QWidget *owner) const;

    /// The background the chooser shows its new colour on as text: white at
    /// start, then whatever the user left there, after OK or Cancel alike.
    TColor background() const { return m_background; }

    /// The colours picked from the screen and confirmed with OK in this run,
    /// most recent first; a pick counts after a Cancel too.
    const TRunColors &runColors() const { return m_runColors; }

    /// Opens the chooser modally over owner. On OK stores the colour and the
    /// slots and returns true; on Cancel changes nothing and returns false.
    bool execute(QWidget *owner);

private:
    TColor m_color = 0;
    Options m_options;
    TCustomColors m_customColors = EmptyCustomColors;
    bool m_customColorsStored = false;
    TColor m_background = MakeColor(255, 255, 255);
    TRunColors m_runColors;
    char m_paletteForm = 'H';
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TColorDialog::Options)
