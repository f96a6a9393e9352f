// The main window. TForm1 owns every control for the whole run; the layout
// table in Unit1.cpp places them. The current colour lives in two holders,
// the three slider positions and Panel1's colour, and the handlers keep them
// and every read-out in step through the colour model (colour.h):
//   a slider moves            -> ScrollBar1Change (all three sliders)
//   a name is picked          -> ListBox1Click -> ApplyColorToSliders
//   "ダイアログ" is pressed    -> Button3Click  -> ApplyColorToSliders
// ApplyColorToSliders sets the sliders one after another, and each real
// change runs ScrollBar1Change to its end before the next slider is set.
// Controls and handlers are private: the controls carry their names as
// object names, and the handlers run only from the controls' signals.
#pragma once

#include <QScrollArea>

#include <array>

class TButton;
class TColorDialog;
class TEdit;
class TLabel;
class TListBox;
class TPanel;
class TScrollBar;

class TForm1 : public QScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm1)

public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void FormShow();
    void ScrollBar1Change();
    void ListBox1Click();
    void Button1Click();
    void Button3Click();

private:
    void ShowColorTexts();
    void ApplyColorToSliders();
    void showColorName();

    void createControls();
    void fillNameList();
    void createColorDialog();
    void captionControls();
    void connectHandlers();
    template<typename Control>
    Control *create(std::size_t row);
    void fitOuterSize();

    TButton *Button1 = nullptr;
    TButton *Button3 = nullptr;
    TLabel *Label2 = nullptr;
    TLabel *Label4 = nullptr;
    TLabel *Label3 = nullptr;
    TPanel *Panel2 = nullptr;
    TPanel *Panel3 = nullptr;
    TPanel *Panel4 = nullptr;
    TScrollBar *ScrollBar1 = nullptr;
    TScrollBar *ScrollBar2 = nullptr;
    TScrollBar *ScrollBar3 = nullptr;
    TLabel *lblR = nullptr;
    TLabel *lblG = nullptr;
    TLabel *lblB = nullptr;
    TLabel *Label10 = nullptr;
    TLabel *lblTen = nullptr;
    TLabel *Label8 = nullptr;
    TLabel *lblRGB = nullptr;
    TLabel *Label11 = nullptr;
    TEdit *Edit2 = nullptr;
    TLabel *Label1 = nullptr;
    TEdit *Edit1 = nullptr;
    TListBox *ListBox1 = nullptr;
    TPanel *Panel1 = nullptr;
    TColorDialog *ColorDialog1 = nullptr;

    std::array<QWidget *, 24> m_controls{};  // by row of the layout table
    std::array<QWidget *, 12> m_tabStops{};  // by tab order
    bool m_fitOuterSize = false;
};
