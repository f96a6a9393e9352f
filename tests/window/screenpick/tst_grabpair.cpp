// Taking the pointer and the keyboard together or not at all, against grabs
// that answer as a scripted X server would: held elsewhere for a while, or
// for good, or free.
#include "grabpair.h"

#include <QSignalSpy>
#include <QTest>

namespace {

/// A scripted server: each grab answers from its list, then keeps the last answer.
struct TScript
{
    QList<bool> pointer;
    QList<bool> keyboard;
    int pointerTries = 0;
    int keyboardTries = 0;
    bool pointerHeld = false;
    bool keyboardHeld = false;
    QStringList log;

    TGrabCalls calls()
    {
        const auto answer = [](const QList<bool> &answers, int &tries) {
            const bool yes = answers.value(std::min<int>(tries, answers.size() - 1));
            ++tries;
            return yes;
        };
        return {[=, this] {
                    pointerHeld = answer(pointer, pointerTries);
                    log << (pointerHeld ? "pointer" : "no pointer");
                    return pointerHeld;
                },
                [=, this] {
                    if (!pointerHeld)
                        log << "keyboard without the pointer";
                    keyboardHeld = answer(keyboard, keyboardTries);
                    log << (keyboardHeld ? "keyboard" : "no keyboard");
                    return keyboardHeld;
                },
                [this] {
                    pointerHeld = false;
                    log << "ungrab pointer";
                },
                [this] {
                    keyboardHeld = false;
                    log << "ungrab keyboard";
                }};
    }
};

} // namespace

class tst_GrabPair : public QObject
{
    Q_OBJECT

private slots:
    void grabs_data();
    void grabs();
    void releaseStopsTrying();
};

void tst_GrabPair::grabs_data()
{
    QTest::addColumn<QList<bool>>("pointer");
    QTest::addColumn<QList<bool>>("keyboard");
    QTest::addColumn<bool>("held");
    QTest::addColumn<int>("refused");  // -1: none, else TGrabPair::Refused
    QTest::addColumn<QStringList>("log");
    const QList<bool> free{true};
    QTest::newRow("both free") << free << free << true << -1 << QStringList{"pointer", "keyboard"};
    QTest::newRow("pointer free after two tries")
        << QList<bool>{false, false, true} << free << true << -1
        << QStringList{"no pointer", "no pointer", "pointer", "keyboard"};
    QTest::newRow("keyboard free on the second try")
        << free << QList<bool>{false, true} << true << -1
        << QStringList{"pointer", "no keyboard", "ungrab pointer", "pointer", "keyboard"};
    QTest::newRow("pointer held for good") << QList<bool>{false} << free << false << int(TGrabPair::Refused::Pointer)
                                           << QStringList{"no pointer", "no pointer", "no pointer"};
    QTest::newRow("keyboard held for good")
        << free << QList<bool>{false} << false << int(TGrabPair::Refused::Keyboard)
        << QStringList{"pointer", "no keyboard", "ungrab pointer", "pointer", "no keyboard", "ungrab pointer",
                       "pointer", "no keyboard", "ungrab pointer"};
}

void tst_GrabPair::grabs()
{
    QFETCH(QList<bool>, pointer);
    QFETCH(QList<bool>, keyboard);
    QFETCH(bool, held);
    QFETCH(int, refused);
    QFETCH(QStringList, log);
    TScript script;
    script.pointer = pointer;
    script.keyboard = keyboard;
    TGrabPair pair(script.calls(), 3, 1);
    QSignalSpy grabbed(&pair, &TGrabPair::grabbed);
    QSignalSpy gaveUp(&pair, &TGrabPair::gaveUp);
    pair.start();
    QTRY_COMPARE(grabbed.count() + gaveUp.count(), 1);
    QTest::qWait(20);  // and no more attempts after that
    QCOMPARE(script.log, log);
    QCOMPARE(pair.isHeld(), held);
    QCOMPARE(grabbed.count(), held ? 1 : 0);
    if (refused >= 0)
        QCOMPARE(gaveUp.first().first().value<TGrabPair::Refused>(), TGrabPair::Refused(refused));
    QCOMPARE(script.pointerHeld && script.keyboardHeld, held);
    QCOMPARE(script.pointerHeld || script.keyboardHeld, held);  // never one alone

    pair.release();
    QVERIFY(!script.pointerHeld && !script.keyboardHeld);
    QVERIFY(!pair.isHeld());
}

void tst_GrabPair::releaseStopsTrying()
{
    TScript script;
    script.pointer = {false};
    script.keyboard = {true};
    auto pair = std::make_unique<TGrabPair>(script.calls(), 1000, 1);
    QSignalSpy gaveUp(pair.get(), &TGrabPair::gaveUp);
    pair->start();
    QTRY_VERIFY(script.pointerTries >= 3);
    pair->release();
    const int tries = script.pointerTries;
    QTest::qWait(20);
    QCOMPARE(script.pointerTries, tries);
    QCOMPARE(gaveUp.count(), 0);
    // Held, then destroyed: both let go.
    script.pointer = {true};
    pair->start();
    QVERIFY(pair->isHeld());
    pair.reset();
    QVERIFY(!script.pointerHeld && !script.keyboardHeld);
}

QTEST_GUILESS_MAIN(tst_GrabPair)
#include "tst_grabpair.moc"
