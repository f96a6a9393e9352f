// Long random sessions against an independent model. The real window gets
// user events of every kind; after each one, every slider, swatch, value
// label, read-out and the name box must match what the model, written from
// the window's rules and the colour table's data alone, says it must show.
// TINTARO_SEED replays a session (ctest gives a fixed one; without it each
// run draws a new seed), TINTARO_EVENTS sets its length.
#include "windowtest.h"

#include "colorchooser.h"

#include <QHash>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <random>

namespace {

long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : 0;
}

// What the window must show, from the rules.
class TModel
{
public:
    TModel()
    {
        for (const TNamedColor &row : NamedColors) {
            const QString name = QString::fromUtf8(row.Name.data(), qsizetype(row.Name.size()));
            const QString html = QString::fromLatin1(row.Html.data(), qsizetype(row.Html.size()));
            m_names << name;
            m_rowColors << QColor(html);
            m_nameOfHtml.insert(html, name);  // a later row replaces an earlier one
        }
        m_custom.fill(-1);
    }

    // The user's inputs and what they do.
    void moveSlider(int slider, int position)
    {
        position = std::clamp(position, 0, 255);
        if (position == m_rgb[slider])
            return;  // no change, no notification
        m_rgb[slider] = position;
        settle();
    }
    int slider(int i) const { return m_rgb[i]; }

    void pickRow(int row)
    {
        m_selected = row;
        m_current = row;
        const QColor c = m_rowColors[row];
        m_rgb = {c.red(), c.green(), c.blue()};
        settle();
    }
    void keyToRow(int row)
    {
        m_current = row;
        if (row != m_selected)
            pickRow(row);
    }
    int selected() const { return m_selected; }
    int current() const { return m_current; }
    void setCurrent(int row) { m_current = row; }

    void typeAhead(QChar c, qint64 now)
    {
        if (!m_lastKey || now - *m_lastKey >= 500)
            m_prefix.clear();
        m_prefix += c;
        m_lastKey = now;
        search();
    }
    void backspace(qint64 now)
    {
        m_prefix.chop(1);
        m_lastKey = now;
        search();
    }
    QString prefix() const { return m_prefix; }

    void typeIntoEdit(bool nameBox, const QString &text)
    {
        (nameBox ? m_typedName : m_typedHtml) = text;
    }

    // The chooser: what it opens with, what OK keeps, what Cancel drops.
    TColor chooserColor() const { return m_chooserColor; }
    const TCustomColors &customColors() const { return m_custom; }
    void confirmChooser(TColor color, const TCustomColors &custom)
    {
        m_chooserColor = color;
        m_custom = custom;
        m_rgb = {GetRValue(color), GetGValue(color), GetBValue(color)};
        settle();
    }
    void cancelChooser() { settle(); }

    TShown shown() const
    {
        if (m_fresh) {
            TShown s = TShown::settled(0, 0, 0, QString());
            s.rgb = QStringLiteral("0");
            s.html = m_typedHtml;
            s.name = m_typedName;
            return s;
        }
        const QColor mix(m_rgb[0], m_rgb[1], m_rgb[2]);
        TShown s = TShown::settled(m_rgb[0], m_rgb[1], m_rgb[2], m_nameOfHtml.value(mix.name().toUpper()));
        if (!m_typedName.isNull())
            s.name = m_typedName;
        if (!m_typedHtml.isNull())
            s.html = m_typedHtml;
        return s;
    }

private:
    void settle()
    {
        m_fresh = false;
        m_typedName = QString();
        m_typedHtml = QString();
    }

    void search()
    {
        if (m_prefix.isEmpty()) {  // only after Backspace: back to the first row
            pickRow(0);
            return;
        }
        for (int row = 0; row < m_names.size(); ++row) {
            if (m_names[row].startsWith(m_prefix, Qt::CaseInsensitive)) {
                pickRow(row);
                return;
            }
        }
    }

    QStringList m_names;
    QList<QColor> m_rowColors;
    QHash<QString, QString> m_nameOfHtml;
    std::array<int, 3> m_rgb{0, 0, 0};
    bool m_fresh = true;
    QString m_typedName;
    QString m_typedHtml;
    int m_selected = -1;
    int m_current = -1;  // unknown until the list has moved once
    QString m_prefix;
    std::optional<qint64> m_lastKey;
    TColor m_chooserColor = 0;
    TCustomColors m_custom{};
};

} // namespace

class tst_Session : public QObject
{
    Q_OBJECT

private slots:
    void randomSession();

private:
    bool step(const TTestForm &form, TModel &model, QString &what);
    bool chooserSession(const TTestForm &form, TModel &model, QString &what);

    std::mt19937_64 m_random;
    qint64 m_now = 1'000'000;
    int pick(int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(m_random)); }
};

void tst_Session::randomSession()
{
    const quint64 seed = !qEnvironmentVariableIsEmpty("TINTARO_SEED")
                             ? qEnvironmentVariable("TINTARO_SEED").toULongLong()
                             : std::random_device{}();
    const int events = qEnvironmentVariableIsSet("TINTARO_EVENTS") ? qEnvironmentVariableIntValue("TINTARO_EVENTS")
                                                                    : 5000;
    m_random.seed(seed);
    const auto form = showForm();
    form.ListBox1->setClock([this] { return m_now; });
    TModel model;
    QCOMPARE(TShown::of(form), model.shown());

    const int warmUp = std::min(events, 10'000);
    long before = residentKiB();
    for (int n = 1; n <= events; ++n) {
        QString what;
        const bool ok = step(form, model, what);
        const TShown shown = TShown::of(form);
        const TShown expected = model.shown();
        if (!ok || !(shown == expected) || form.ListBox1->itemIndex() != model.selected()) {
            QFAIL(qPrintable(QStringLiteral("seed %1, event %2 (%3): window shows %4, model %5, row %6 vs %7")
                                 .arg(seed).arg(n).arg(what, QString::fromUtf8(QTest::toString(shown)),
                                                       QString::fromUtf8(QTest::toString(expected)))
                                 .arg(form.ListBox1->itemIndex()).arg(model.selected())));
        }
        if (n == warmUp)
            before = residentKiB();
        if (n % 100'000 == 0)
            qInfo("%d events: resident %ld KiB", n, residentKiB());
    }
    const long after = residentKiB();
    qInfo("seed %llu: %d events checked; resident %ld KiB after %d events, %ld KiB at the end",
          static_cast<unsigned long long>(seed), events, before, warmUp, after);
    if (events >= 100'000)
        QVERIFY2(after - before <= 1024, "resident memory grew by more than 1 MiB");
}

bool tst_Session::step(const TTestForm &form, TModel &model, QString &what)
{
    TScrollBar *const bars[] = {form.ScrollBar1, form.ScrollBar2, form.ScrollBar3};
    const int kind = pick(100);
    if (kind < 30) {  // a key on a slider
        const int i = pick(3);
        static const std::pair<Qt::Key, int> keys[] = {{Qt::Key_Left, -1},    {Qt::Key_Up, -1},  {Qt::Key_PageUp, -1},
                                                       {Qt::Key_Right, 1},    {Qt::Key_Down, 1}, {Qt::Key_PageDown, 1},
                                                       {Qt::Key_Home, -1000}, {Qt::Key_End, 1000}};
        const auto [key, delta] = keys[pick(8)];
        what = QStringLiteral("key %1 on slider %2").arg(int(key)).arg(i + 1);
        bars[i]->setFocus();
        QTest::keyClick(form->windowHandle(), key);
        model.moveSlider(i, delta == -1000 ? 0 : delta == 1000 ? 255 : model.slider(i) + delta);
        return true;
    }
    if (kind < 45) {  // an arrow button or the trough beside the thumb
        const int i = pick(3);
        static const std::pair<QStyle::SubControl, int> parts[] = {{QStyle::SC_ScrollBarSubLine, -1},
                                                                   {QStyle::SC_ScrollBarAddLine, 1},
                                                                   {QStyle::SC_ScrollBarSubPage, -1},
                                                                   {QStyle::SC_ScrollBarAddPage, 1}};
        const auto [part, delta] = parts[pick(4)];
        const QRect rect = subControlRect(bars[i], part);
        what = QStringLiteral("click on part %1 of slider %2").arg(int(part)).arg(i + 1);
        if (rect.width() < 1)
            return true;  // the thumb stands at that end: no trough on this side
        QTest::mouseClick(bars[i], Qt::LeftButton, Qt::NoModifier, rect.center());
        model.moveSlider(i, model.slider(i) + delta);
        return true;
    }
    if (kind < 55) {  // a thumb drag
        const int i = pick(3);
        const int dx = pick(121) - 60;
        what = QStringLiteral("drag of slider %1 by %2 px").arg(i + 1).arg(dx);
        const int from = bars[i]->position();
        QPoint at = subControlRect(bars[i], QStyle::SC_ScrollBarSlider).center();
        sendMouse(bars[i], QEvent::MouseButtonPress, at, Qt::LeftButton);
        for (int moved = 0; moved != dx;) {
            const int stepBy = std::clamp(dx - moved, -7, 7);
            moved += stepBy;
            at.rx() += stepBy;
            sendMouse(bars[i], QEvent::MouseMove, at, Qt::LeftButton);
        }
        sendMouse(bars[i], QEvent::MouseButtonRelease, at, Qt::NoButton);
        // Where a pixel lands is the style's business; the direction is not.
        const int to = bars[i]->position();
        if ((dx > 0 && to < from) || (dx < 0 && to > from) || (dx == 0 && to != from))
            return false;
        model.moveSlider(i, to);
        return true;
    }
    if (kind < 67) {  // a click on a row
        const int row = pick(NamedColorCount);
        what = QStringLiteral("click on row %1").arg(row);
        form.ListBox1->scrollToRow(row);
        QTest::mouseClick(form.ListBox1->viewport(), Qt::LeftButton, Qt::NoModifier,
                          form.ListBox1->rowRect(row).center());
        model.pickRow(row);
        return true;
    }
    if (kind < 77) {  // a key in the list
        static const Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp,
                                       Qt::Key_PageDown};
        const Qt::Key key = keys[pick(6)];
        what = QStringLiteral("list key %1").arg(int(key));
        form.ListBox1->setFocus();
        const int current = model.current();
        QTest::keyClick(form->windowHandle(), key);
        const int moved = form.ListBox1->currentRow();
        if (current < 0) {
            // The list had no current row yet: where this key lands is Qt's
            // choice, and a row it selects is picked.
            model.setCurrent(moved);
            const int selected = form.ListBox1->itemIndex();
            if (selected >= 0 && selected != model.selected())
                model.pickRow(selected);
            return selected < 0 || selected == moved;
        }
        int expected = moved;  // where Page Up/Down land depends on the rows in view
        switch (key) {
        case Qt::Key_Up: expected = std::max(0, current - 1); break;
        case Qt::Key_Down: expected = std::min(NamedColorCount - 1, current + 1); break;
        case Qt::Key_Home: expected = 0; break;
        case Qt::Key_End: expected = NamedColorCount - 1; break;
        case Qt::Key_PageUp: if (moved > current) return false; break;
        case Qt::Key_PageDown: if (moved < current) return false; break;
        default: break;
        }
        model.keyToRow(expected);
        return true;
    }
    if (kind < 92) {  // type-ahead
        form.ListBox1->setFocus();
        static const int pauses[] = {0, 1, 120, 499, 500, 501, 2000};  // the edges of the pause, often
        m_now += pick(3) ? pauses[pick(7)] : pick(801);
        if (pick(5) == 0) {
            what = QStringLiteral("Backspace after '%1'").arg(model.prefix());
            QTest::keyClick(form->windowHandle(), Qt::Key_Backspace);
            model.backspace(m_now);
        } else {
            static const char letters[] = "abcdeglmnoprstwyABDGLMRSW *qxz";
            const char c = letters[pick(int(sizeof letters) - 1)];
            what = QStringLiteral("typed '%1' after '%2'").arg(QLatin1Char(c)).arg(model.prefix());
            QTest::keyClick(form->windowHandle(), c);
            model.typeAhead(QLatin1Char(c), m_now);
        }
        return true;
    }
    if (kind < 95) {  // text typed into an edit box: shown until the next change
        const bool nameBox = pick(2);
        TEdit *edit = nameBox ? form.Edit1 : form.Edit2;
        what = QStringLiteral("typing into %1").arg(edit->objectName());
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("x%1").arg(pick(1000)));
        model.typeIntoEdit(nameBox, edit->text());
        return true;
    }
    return chooserSession(form, model, what);
}

bool tst_Session::chooserSession(const TTestForm &form, TModel &model, QString &what)
{
    const bool confirm = pick(2);
    const int additions = pick(3);
    const bool newColor = pick(4) != 0;
    const TColor color = MakeColor(pick(256), pick(256), pick(256));
    what = QStringLiteral("chooser: %1 additions, %2, %3").arg(additions)
               .arg(newColor ? QString::fromStdString(ColorToHtml(color)) : QStringLiteral("same colour"))
               .arg(confirm ? QStringLiteral("OK") : QStringLiteral("Cancel"));
    bool opened = false;
    bool asExpected = true;
    TCustomColors custom = model.customColors();
    TColor chosen = model.chooserColor();
    QTimer::singleShot(0, form.get(), [&] {
        auto *chooser = qobject_cast<TColorChooser *>(QApplication::activeModalWidget());
        if (!chooser)
            return;
        opened = true;
        // It opens with the colour and custom colours that OK last kept.
        asExpected = chooser->color() == model.chooserColor() && chooser->customColors() == model.customColors();
        if (newColor) {
            const std::pair<const char *, int> entries[] = {
                {"red", GetRValue(color)}, {"green", GetGValue(color)}, {"blue", GetBValue(color)}};
            for (const auto &[name, value] : entries) {
                auto *box = chooser->findChild<QSpinBox *>(QString::fromLatin1(name));
                box->setFocus();
                box->selectAll();
                QTest::keyClicks(box, QString::number(value));
            }
            chosen = color;
        }
        // Added colours fill the empty slots first, then go round from the top.
        int next = int(std::find(custom.begin(), custom.end(), -1) - custom.begin()) % CustomColorCount;
        for (int a = 0; a < additions; ++a) {
            QTest::mouseClick(chooser->findChild<QPushButton *>(QStringLiteral("addCustomColor")), Qt::LeftButton);
            custom[std::size_t(next)] = chosen;
            next = (next + 1) % CustomColorCount;
        }
        if (confirm)
            QTest::mouseClick(chooser->findChild<QPushButton *>(QStringLiteral("ok")), Qt::LeftButton);
        else
            QTest::keyClick(chooser, Qt::Key_Escape);
        if (chooser->isVisible())
            chooser->reject();
    });
    QTest::mouseClick(form.Button3, Qt::LeftButton);
    if (confirm)
        model.confirmChooser(chosen, custom);
    else
        model.cancelChooser();
    return opened && asExpected;
}

TINTARO_TEST_MAIN(tst_Session)
#include "tst_session.moc"
