// The colour chooser as the window uses it. TColorDialog keeps, for the whole
// run, the colour last confirmed, sixteen custom colour slots held as text
// entries "ColorA" .. "ColorP", and its options; execute() builds the request
// from them, runs the modal TColorChooser and stores what was confirmed.
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

    /// Entries "ColorA" .. "ColorP", each a hexadecimal TColor ("%.6X").
    const std::map<std::string, std::string> &customColors() const { return m_customColors; }
    void setCustomColor(const std::string &key, const std::string &value) { m_customColors[key] = value; }

    /// The request for the next opening; a missing, empty or malformed slot
    /// entry is passed as -1.
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
    std::map<std::string, std::string> m_customColors;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TColorDialog::Options)
