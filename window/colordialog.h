// The colour chooser as the window uses it. TColorDialog keeps, for the whole
// run, the colour last confirmed, the sixteen custom colour slots and its
// options; execute() builds the request from them, runs the modal
// TColorChooser and stores what was confirmed. The slots are held as colours;
// their text entries "ColorA" .. "ColorP" are formed when asked for.
#pragma once

#include "colour.h"

#include <QFlags>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <map>
#include <string>

class QWidget;

inline constexpr int CustomColorCount = 16;
using TCustomColors = std::array<TColor, CustomColorCount>;

/// Sixteen slots with no colour.
inline constexpr TCustomColors EmptyCustomColors = {-1, -1, -1, -1, -1, -1, -1, -1,
                                                    -1, -1, -1, -1, -1, -1, -1, -1};

/// What one opening of the chooser is given.
struct TChooseColorRequest
{
    // Flag values of the request.
    static constexpr unsigned RgbInit = 1;
    static constexpr unsigned FullOpen = 2;
    static constexpr unsigned PreventFullOpen = 4;
    static constexpr unsigned ShowHelp = 8;
    static constexpr unsigned EnableHook = 16;
    static constexpr unsigned SolidColor = 128;
    static constexpr unsigned AnyColor = 256;

    TColor initialColor = 0;          ///< plain red-green-blue
    TCustomColors customColors{};     ///< -1 for an empty slot
    unsigned flags = 0;
    QWidget *owner = nullptr;
};

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

    /// Opens the chooser modally over owner. On OK stores the colour and the
    /// slots and returns true; on Cancel changes nothing and returns false.
    bool execute(QWidget *owner);

    /// Centred horizontally on the monitor, the top one third of the free
    /// height down, both rounded toward zero.
    static QPoint chooserPosition(const QRect &monitor, const QSize &chooser);

    /// The key of slot 0 .. 15: "ColorA" .. "ColorP".
    static std::string slotKey(int slot);

private:
    TColor m_color = 0;
    Options m_options;
    TCustomColors m_customColors = EmptyCustomColors;
    bool m_customColorsStored = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TColorDialog::Options)
