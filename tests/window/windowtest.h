// What the window tests share: a main that runs them inside the real
// application object, and readers for what the window shows.
#pragma once

#include "Unit1.h"
#include "application.h"
#include "colordialog.h"
#include "controls.h"
#include "listbox.h"

#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <memory>

#define TINTARO_TEST_MAIN(TestObject)                                                              \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        TApplication application(argc, argv);                                                      \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

/// A control of the window, found by its object name as an assistive
/// technology would find it by its name.
template<typename Control>
Control *control(const QObject &form, const char *name)
{
    auto *found = form.findChild<Control *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

/// The main window with its controls found by name. "form->" reaches the
/// window itself, "form." its controls.
struct TTestForm
{
    explicit TTestForm(bool show)
        : window(std::make_unique<TForm1>())
    {
        if (show) {
            window->show();
            if (!QTest::qWaitForWindowActive(window.get()))
                qWarning("the window did not become active");
        }
    }

    TForm1 *get() const { return window.get(); }
    TForm1 *operator->() const { return window.get(); }
    TForm1 &operator*() const { return *window; }

    std::unique_ptr<TForm1> window;
    TButton *Button1 = control<TButton>(*window, "Button1");
    TButton *Button3 = control<TButton>(*window, "Button3");
    TLabel *Label2 = control<TLabel>(*window, "Label2");
    TPanel *Panel2 = control<TPanel>(*window, "Panel2");
    TPanel *Panel3 = control<TPanel>(*window, "Panel3");
    TPanel *Panel4 = control<TPanel>(*window, "Panel4");
    TScrollBar *ScrollBar1 = control<TScrollBar>(*window, "ScrollBar1");
    TScrollBar *ScrollBar2 = control<TScrollBar>(*window, "ScrollBar2");
    TScrollBar *ScrollBar3 = control<TScrollBar>(*window, "ScrollBar3");
    TLabel *lblR = control<TLabel>(*window, "lblR");
    TLabel *lblG = control<TLabel>(*window, "lblG");
    TLabel *lblB = control<TLabel>(*window, "lblB");
    TLabel *lblTen = control<TLabel>(*window, "lblTen");
    TLabel *lblRGB = control<TLabel>(*window, "lblRGB");
    TEdit *Edit2 = control<TEdit>(*window, "Edit2");
    TEdit *Edit1 = control<TEdit>(*window, "Edit1");
    TListBox *ListBox1 = control<TListBox>(*window, "ListBox1");
    TPanel *Panel1 = control<TPanel>(*window, "Panel1");
    TColorDialog *ColorDialog1 = control<TColorDialog>(*window, "ColorDialog1");
};

/// A shown, active main window, as at start.
inline TTestForm showForm()
{
    return TTestForm(true);
}

/// Where the style puts a part of a slider: the thumb, a page area, an arrow.
inline QRect subControlRect(const TScrollBar *bar, QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.subControls = QStyle::SC_All;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

/// A mouse event with the buttons held as given, as a drag sends them.
inline void sendMouse(QWidget *widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

/// Everything the window shows of the current colour.
struct TShown
{
    QList<int> sliders;
    QStringList values;  // lblR, lblG, lblB
    QString ten, rgb, html, name;
    TColor panel1, panel2, panel3, panel4;

    static TShown of(const TTestForm &form)
    {
        return {{form.ScrollBar1->position(), form.ScrollBar2->position(), form.ScrollBar3->position()},
                {form.lblR->text(), form.lblG->text(), form.lblB->text()},
                form.lblTen->text(), form.lblRGB->text(), form.Edit2->text(), form.Edit1->text(),
                form.Panel1->color(), form.Panel2->color(), form.Panel3->color(), form.Panel4->color()};
    }

    /// What a settled window shows for red, green, blue and the name.
    static TShown settled(int red, int green, int blue, const QString &name)
    {
        const TColor mix = MakeColor(red, green, blue);
        return {{red, green, blue},
                {QString::number(red), QString::number(green), QString::number(blue)},
                QString::number(mix), QStringLiteral("$%1").arg(uint(mix), 8, 16, QLatin1Char('0')).toUpper(),
                QStringLiteral("#%1%2%3").arg(red, 2, 16, QLatin1Char('0')).arg(green, 2, 16, QLatin1Char('0'))
                    .arg(blue, 2, 16, QLatin1Char('0')).toUpper(),
                name, mix, MakeColor(red, 0, 0), MakeColor(0, green, 0), MakeColor(0, 0, blue)};
    }

    bool operator==(const TShown &) const = default;
};

namespace QTest {
template<>
inline char *toString(const TShown &shown)
{
    const QString text = QStringLiteral("sliders %1,%2,%3 labels %4 ten %5 rgb %6 html %7 name '%8' "
                                        "panels %9,%10,%11,%12")
                             .arg(shown.sliders[0]).arg(shown.sliders[1]).arg(shown.sliders[2])
                             .arg(shown.values.join(QLatin1Char(','))).arg(shown.ten, shown.rgb, shown.html, shown.name)
                             .arg(shown.panel1).arg(shown.panel2).arg(shown.panel3).arg(shown.panel4);
    return qstrdup(text.toUtf8().constData());
}
} // namespace QTest
