// The colour chooser's own dialog: basic colours and the sixteen custom
// colours as two grids, a hue and saturation field with a brightness bar,
// red/green/blue and hue/saturation/lightness boxes, a field for a typed
// colour, picking from the screen, the new colour beside the one it opened
// with, and OK, Cancel and Help. It keeps nothing beyond one opening: the
// caller passes the colour and the custom colours in and reads them back on
// OK. QColorDialog is not used because it keeps custom colours for the whole
// process, keeps those added before a Cancel, and writes a settings file.
#pragma once

#include "choosermodel.h"
#include "chooserrequest.h"

#include <QDialog>
#include <QMargins>

#include <optional>
#include <vector>

class QFrame;
class QGridLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class TBrightnessBar;
class TColorGrid;
class TPairPanel;
class TPalettePanel;
class TRunColors;
class THueSaturationField;
class TScreenPicker;
class TTypedColorEdit;

class TColorChooser : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TColorChooser)

public:
    explicit TColorChooser(const TChooseColorRequest &request);
    ~TColorChooser() override;

    TColor color() const { return m_model.color(); }
    TCustomColors customColors() const { return m_custom; }

    /// Sets the current colour as if the user had chosen it.
    void setColor(TColor color);

    /// The background the new colour is shown on as text; white unless set.
    TColor background() const;
    void setBackground(TColor color);

    /// The colours of the run, the picks of this opening first among them.
    TRunColors runColors() const;
    void setRunColors(const TRunColors &colors);
    /// The form a copied palette's values are written in: a copy form's access key.
    char paletteForm() const;
    void setPaletteForm(char accessKey);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createBasicColors();
    void createCustomColors();
    void createColorField();
    void createNumbers();
    void createTypedColor();
    void createPreview();
    void createPairPanel();
    void createPalette();
    void createButtons(unsigned flags);
    void layOut(unsigned flags);

    void editHsl();
    /// Reads the typed field; false when its text is not a colour, which
    /// the field then says beside it.
    bool applyTypedColor();
    void acceptTyped();
    void pickFromScreen();
    void showPickerAvailability();
    void showPickMessage(const QString &why);
    void addCustomColor();
    void addToCustomColors(TColor color);
    void pickCustomSlot(int slot);
    void showCustomSlot(int slot);
    void selectNextSlot(int slot);
    void pastePalette(const std::vector<TColor> &colors);
    void undoPaste();
    /// The custom colours changed otherwise than by a paste: it can no longer be taken back.
    void customColorsChanged();
    void refresh();
    /// By the outer rectangle: Qt's idea of it, or inside and frame.
    void place(const QMargins &frame = QMargins());

    TChooserModel m_model;
    TColor m_original = 0;
    TCustomColors m_custom{};
    int m_nextSlot = 0;
    struct TBeforePaste
    {
        TCustomColors Colors;
        int NextSlot;
    };
    std::optional<TBeforePaste> m_beforePaste;
    bool m_refreshing = false;
    QRect m_monitor;
    // Placed when first shown, and once more by the outer rectangle when the
    // window manager has framed it; from then on it stays where it is put.
    bool m_shown = false;
    bool m_framedPlaced = false;

    TColorGrid *m_basic = nullptr;
    TColorGrid *m_customGrid = nullptr;
    QLabel *m_basicLabel = nullptr;
    QLabel *m_customLabel = nullptr;
    THueSaturationField *m_field = nullptr;
    TBrightnessBar *m_brightness = nullptr;
    QLabel *m_fieldLabel = nullptr;
    QLabel *m_brightnessLabel = nullptr;
    QGridLayout *m_numbers = nullptr;
    QSpinBox *m_red = nullptr;
    QSpinBox *m_green = nullptr;
    QSpinBox *m_blue = nullptr;
    QSpinBox *m_hue = nullptr;
    QSpinBox *m_saturation = nullptr;
    QSpinBox *m_lightness = nullptr;
    TTypedColorEdit *m_typed = nullptr;
    QLabel *m_typedLabel = nullptr;
    QLabel *m_typedError = nullptr;
    QFrame *m_preview = nullptr;
    QFrame *m_originalPreview = nullptr;
    QLabel *m_nearest = nullptr;
    QWidget *m_previewBox = nullptr;
    TPairPanel *m_pair = nullptr;
    TPalettePanel *m_palette = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_pick = nullptr;
    QLabel *m_pickMessage = nullptr;
    TScreenPicker *m_picker = nullptr;
    QWidget *m_buttons = nullptr;
};
