// In-process figures: one slider change, one pick that moves all three
// sliders, a 256-position drag painted on the offscreen platform, the name
// list scrolled from top to bottom a line at a time, the time from
// "ダイアログ" until the chooser is on screen, one nearest named colour
// lookup, one swatch description, one set of copy texts and one change of
// the chooser's text colour on its background, and the colours of a 100 kB
// style sheet found for a paste. QBENCHMARK's -callgrind
// option gives instruction counts for the first two.
#include "Unit1.h"
#include "application.h"
#include "controls.h"
#include "listbox.h"
#include "nearest.h"
#include "pairpanel.h"
#include "palettescan.h"
#include "swatch.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <memory>

class bench_Handlers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_form.reset(); }
    void sliderChange();
    void pick();
    void drag();
    void scrollList();
    void chooser();
    void nearestName();
    void description();
    void copyTexts();
    void pairChange();
    void paletteOfAStyleSheet();

private:
    std::unique_ptr<TForm1> m_form;
};

void bench_Handlers::init()
{
    m_form = std::make_unique<TForm1>();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void bench_Handlers::sliderChange()
{
    int position = 100;
    // Each iteration is one real change: one run of ScrollBar1Change.
    QBENCHMARK {
        position = position == 100 ? 101 : 100;
        m_form->findChild<TScrollBar *>(QStringLiteral("ScrollBar2"))->setPosition(position);
    }
    QCOMPARE(m_form->findChild<TLabel *>(QStringLiteral("lblG"))->text(), QString::number(position));
}

void bench_Handlers::pick()
{
    // Black and white differ in every component, so each pick moves all three.
    const int black = 7;
    const int white = 143;
    int row = black;
    auto *list = m_form->findChild<TListBox *>(QStringLiteral("ListBox1"));
    QBENCHMARK {
        row = row == black ? white : black;
        // As an assistive technology selects: the list raises its click.
        list->selectRow(row);
    }
    QCOMPARE(m_form->findChild<TEdit *>(QStringLiteral("Edit1"))->text(),
             row == black ? QStringLiteral("black") : QStringLiteral("white"));
}

void bench_Handlers::drag()
{
    QList<qint64> frames;
    QElapsedTimer timer;
    auto *bar = m_form->findChild<TScrollBar *>(QStringLiteral("ScrollBar1"));
    for (int position = 0; position <= 255; ++position) {
        timer.start();
        bar->setPosition(position);
        QCoreApplication::processEvents();  // the update request: paint and flush
        frames << timer.nsecsElapsed();
    }
    std::sort(frames.begin(), frames.end());
    qInfo("BENCH drag-worst-frame %.3f ms", frames.last() / 1e6);
    qInfo("BENCH drag-median-frame %.3f ms", frames[frames.size() / 2] / 1e6);
    QCOMPARE(m_form->findChild<TLabel *>(QStringLiteral("lblR"))->text(), QStringLiteral("255"));
}

void bench_Handlers::scrollList()
{
    const auto *list = m_form->findChild<TListBox *>(QStringLiteral("ListBox1"));
    QScrollBar *bar = list->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(0);
    QCoreApplication::processEvents();
    QList<qint64> frames;
    QElapsedTimer timer;
    while (bar->value() < bar->maximum()) {
        timer.start();
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCoreApplication::processEvents();  // the rows that came into view painted and flushed
        frames << timer.nsecsElapsed();
    }
    std::sort(frames.begin(), frames.end());
    qInfo("BENCH scroll-worst-frame %.3f ms", frames.last() / 1e6);
    qInfo("BENCH scroll-median-frame %.3f ms", frames[frames.size() / 2] / 1e6);
    QVERIFY(list->viewport()->rect().contains(list->rowRect(NamedColorCount - 1)));
}

void bench_Handlers::chooser()
{
    QList<qint64> openings;
    for (int opening = 0; opening < 11; ++opening) {
        QElapsedTimer timer;
        qint64 shown = -1;
        // Shown means exposed: on screen, painted.
        auto *watch = new QObject(m_form.get());
        QTimer poll;
        poll.callOnTimeout(watch, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal->windowHandle() && modal->windowHandle()->isExposed()) {
                shown = timer.nsecsElapsed();
                poll.stop();
                modal->close();
            }
        });
        poll.start(0);
        timer.start();
        m_form->findChild<TButton *>(QStringLiteral("Button3"))->click();
        delete watch;
        QVERIFY(shown > 0);
        openings << shown;
    }
    qInfo("BENCH chooser-first-opening %.3f ms", openings.first() / 1e6);
    std::sort(openings.begin() + 1, openings.end());
    qInfo("BENCH chooser-later-opening-median %.3f ms", openings[6] / 1e6);
}

void bench_Handlers::nearestName()
{
    // A new colour each time, spread over the cube by a large odd step.
    std::uint32_t value = 0;
    int sum = 0;
    QBENCHMARK {
        value = (value + 0x9E3779u) & 0xFFFFFFu;
        sum += NearestNamedColor(TColor(value)).Row;
    }
    QVERIFY(sum >= 0);
}

void bench_Handlers::description()
{
    // Colours spread over the cube, most failing AA with white or black, so
    // the nearest passing colour is searched for.
    std::uint32_t value = 0;
    qsizetype sum = 0;
    QBENCHMARK {
        value = (value + 0x9E3779u) & 0xFFFFFFu;
        sum += SwatchDescription(TColor(value)).size();
    }
    QVERIFY(sum > 0);
}

void bench_Handlers::copyTexts()
{
    std::uint32_t value = 0;
    qsizetype sum = 0;
    QBENCHMARK {
        value = (value + 0x9E3779u) & 0xFFFFFFu;
        sum += CopyTexts(TColor(value)).size();
    }
    QVERIFY(sum > 0);
}

void bench_Handlers::pairChange()
{
    // The chooser's sample of text on a background: a new text colour on a
    // tinted background, seen with deuteranomaly, most pairs failing AA so
    // both nearest passing colours are searched for.
    TPairPanel panel(nullptr);
    panel.setBackground(MakeColor(0xF4, 0xEE, 0xE0));
    auto *vision = panel.findChild<QComboBox *>(QStringLiteral("vision"));
    vision->setCurrentIndex(int(TVision::Deuteranomaly));
    std::uint32_t value = 0;
    QBENCHMARK {
        value = (value + 0x9E3779u) & 0xFFFFFFu;
        panel.setTextColor(TColor(value));
    }
}

void bench_Handlers::paletteOfAStyleSheet()
{
    // 100 kB of a framework's style sheet: custom properties in oklch and
    // hex, rules with named colours and rgb(), comments and prose-like text.
    const std::string block =
        ":root {\n  --color-red-500: oklch(63.7% 0.237 25.331);\n  --color-slate-900: #0f172a;\n"
        "  --spacing: 0.25rem; /* the base step, #000 in print */\n}\n"
        ".btn-primary:hover, .btn-primary:focus-visible {\n  color: white;\n"
        "  background-color: rgb(37 99 235);\n  border: 1px solid rgba(0, 0, 0, 0.1);\n"
        "  font-family: \"Helvetica Neue\", Arial, sans-serif;\n  transition: color 0.15s ease-in-out;\n}\n"
        "@media (prefers-color-scheme: dark) { .card { background: hsl(222 47% 11%); color: #e2e8f0; } }\n";
    std::string sheet;
    for (int i = 0; sheet.size() < 100 * 1000; ++i)
        sheet += block + ".c" + std::to_string(i) + " { outline-color: #" + std::to_string(100000 + i) + "; }\n";
    std::size_t found = 0;
    QBENCHMARK {
        found += FindPaletteColors(sheet, 16, TRepeats::Skip).Colors.size();
    }
    QVERIFY(found > 0);
}

int main(int argc, char *argv[])
{
    TApplication application(argc, argv);
    bench_Handlers bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_handlers.moc"
