#include "palettepanel.h"

#include "captions.h"
#include "colorgrid.h"
#include "copyforms.h"
#include "csstext.h"
#include "x11clipboard.h"

#include <QActionGroup>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStringList>
#include <QThread>
#include <QVBoxLayout>

namespace {

struct TFormatItem
{
    TPaletteFormat Format;
    const char *Caption;
    const char *Said;  // in "… としてコピーしました"
};

constexpr TFormatItem FormatItems[] = {
    {TPaletteFormat::CustomProperties, "CSS カスタムプロパティ(&C)", "CSS カスタムプロパティ"},
    {TPaletteFormat::Sass, "Sass 変数(&S)", "Sass 変数"},
    {TPaletteFormat::JsonArray, "JSON 配列(&J)", "JSON 配列"},
    {TPaletteFormat::JsonObject, "JSON オブジェクト(&O)", "JSON オブジェクト"},
    {TPaletteFormat::Gimp, "GIMP パレット(&G)", "GIMP パレット"},
    {TPaletteFormat::List, "一覧(&L)", "一覧"},
};

// A form's caption by what it writes: "#RRGGBB", or its function's name.
QString formCaption(const TCopyForm &form)
{
    const std::string sample = form.Text(0).value_or(std::string());
    const QString name = sample.starts_with('#') ? QStringLiteral("#RRGGBB")
                                                 : QString::fromStdString(sample.substr(0, sample.find('('))) + "()";
    return name + QStringLiteral("(&") + QChar::fromLatin1(form.AccessKey) + QLatin1Char(')');
}

QString cellName(TColor color)
{
    if (color < 0)
        return QStringLiteral("空き");
    const auto name = NameForColor(color);
    return name && IsCssName(*name) ? ToHtmlText(color) + QLatin1Char(' ') + QString::fromUtf8(*name)
                                    : ToHtmlText(color);
}

QString count(std::size_t n) { return QString::number(qulonglong(n)); }

// A paste reads at most this much of the clipboard's text: sixteen colours
// are found long before, and a clipboard of hundreds of megabytes is not
// held twice over.
constexpr std::size_t ReadLimit = 16 * 1024 * 1024;

// What a paste read: the text, cut at the limit, or why there is none.
struct TPasteRead
{
    QByteArray Text;
    bool Cut = false;
    bool Failed = false;
};

} // namespace

TPalettePanel::TPalettePanel(QWidget *parent)
    : QWidget(parent)
{
    for (const TCopyForm &form : CopyForms)
        if (form.CssValue && !m_form)
            m_form = &form;

    m_runGrid = new TColorGrid(int(TRunColors::Capacity), int(TRunColors::Capacity), false, this);
    m_runGrid->setObjectName(QStringLiteral("runColors"));
    m_runGrid->setAccessibleDescription(
        QStringLiteral("この実行で取った色と OK で決めた色、新しい順。Enter で新しい色に、メニューキーで作成した色に追加"));
    m_runCaption = CaptionFor(m_runGrid, QStringLiteral("最近の色(&Q):"));
    connect(m_runGrid, &TColorGrid::picked, this, [this](int cell) {
        if (std::size_t(cell) < m_run.colors().size())
            emit colorWanted(m_run.colors()[std::size_t(cell)]);
    });
    for (int cell = 0; cell < m_runGrid->count(); ++cell) {
        TColorCell *button = m_runGrid->cell(cell);
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QWidget::customContextMenuRequested, this,
                [this, cell, button](const QPoint &at) { execCellMenu(cell, button->mapToGlobal(at)); });
    }

    m_menuButton = PlainButton(QStringLiteral("パレット(&O)"), "paletteMenu", this);
    createMenu();

    // Below the button, wrapping within the column, with room for five
    // lines from the start (the longest report takes four), so the dialog
    // never grows.
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("paletteMessage"));
    m_message->setWordWrap(true);
    m_message->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_message->setMinimumHeight(5 * m_message->fontMetrics().lineSpacing());
    m_message->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_runCaption);
    layout->addWidget(m_runGrid, 0, Qt::AlignLeft);
    layout->addWidget(m_menuButton, 0, Qt::AlignLeft);
    layout->addWidget(m_message);
    showRunColors();
}

TPalettePanel::~TPalettePanel()
{
    // A reading still running stops within its next 64 KiB; nothing of it
    // reaches a chooser that is gone.
    if (m_reader) {
        m_stop->store(true);
        m_reader->wait();
        delete m_reader;
    }
}

void TPalettePanel::createMenu()
{
    m_menu = new QMenu(m_menuButton);
    m_menu->setObjectName(QStringLiteral("paletteMenuItems"));
    QMenu *custom = m_menu->addMenu(QStringLiteral("作成した色をコピー(&C)"));
    custom->setObjectName(QStringLiteral("copyCustomColors"));
    addFormatItems(custom, true);
    QMenu *run = m_menu->addMenu(QStringLiteral("最近の色をコピー(&R)"));
    run->setObjectName(QStringLiteral("copyRunColors"));
    addFormatItems(run, false);
    connect(m_menu, &QMenu::aboutToShow, this, [this, custom, run] {
        custom->setEnabled(std::any_of(m_custom.begin(), m_custom.end(), [](TColor c) { return c >= 0; }));
        run->setEnabled(!m_run.colors().empty());
    });

    QMenu *forms = m_menu->addMenu(QStringLiteral("値の形式(&F)"));
    forms->setObjectName(QStringLiteral("valueForms"));
    auto *group = new QActionGroup(forms);
    for (const TCopyForm &form : CopyForms) {
        if (!form.CssValue)
            continue;
        QAction *item = forms->addAction(formCaption(form));
        item->setCheckable(true);
        item->setChecked(&form == m_form);
        item->setData(QChar::fromLatin1(form.AccessKey));
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, &form] { m_form = &form; });
    }

    m_menu->addSeparator();
    m_paste = m_menu->addAction(QStringLiteral("クリップボードから貼り付け(&P)"), this, &TPalettePanel::paste);
    m_paste->setObjectName(QStringLiteral("pastePalette"));
    m_undo = m_menu->addAction(QStringLiteral("貼り付けを元に戻す(&U)"), this, &TPalettePanel::undoWanted);
    m_undo->setObjectName(QStringLiteral("undoPaste"));
    m_undo->setEnabled(false);
    m_menuButton->setMenu(m_menu);
}

void TPalettePanel::addFormatItems(QMenu *menu, bool custom)
{
    for (const TFormatItem &item : FormatItems)
        connect(menu->addAction(QString::fromUtf8(item.Caption)), &QAction::triggered, this,
                [this, custom, format = item.Format] { copy(custom, format); });
}

QWidget *TPalettePanel::runGrid() const { return m_runGrid; }

void TPalettePanel::setRunColors(const TRunColors &colors)
{
    m_run = colors;
    showRunColors();
}

void TPalettePanel::addRunColor(TColor color)
{
    m_run.add(color);
    showRunColors();
}

void TPalettePanel::showRunColors()
{
    const std::vector<TColor> &colors = m_run.colors();
    for (int cell = 0; cell < m_runGrid->count(); ++cell) {
        const TColor color = std::size_t(cell) < colors.size() ? colors[std::size_t(cell)] : -1;
        m_runGrid->cell(cell)->setColor(color, cellName(color));
    }
}

char TPalettePanel::valueForm() const { return m_form->AccessKey; }

void TPalettePanel::setValueForm(char accessKey)
{
    for (const TCopyForm &form : CopyForms)
        if (form.CssValue && form.AccessKey == accessKey)
            m_form = &form;
    for (QAction *item : m_menu->findChild<QMenu *>(QStringLiteral("valueForms"))->actions())
        item->setChecked(item->data().toChar() == QChar::fromLatin1(m_form->AccessKey));
}

void TPalettePanel::setUndoAvailable(bool available) { m_undo->setEnabled(available); }

void TPalettePanel::copy(bool custom, TPaletteFormat format)
{
    std::vector<TColor> colors;
    if (custom)
        std::copy_if(m_custom.begin(), m_custom.end(), std::back_inserter(colors), [](TColor c) { return c >= 0; });
    else
        colors = m_run.colors();
    if (colors.empty())
        return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(PaletteText(colors, format, *m_form)));
    for (const TFormatItem &item : FormatItems)
        if (item.Format == format)
            say(QStringLiteral("%1 %2 色を %3 としてコピーしました。")
                    .arg(custom ? QStringLiteral("作成した色") : QStringLiteral("最近の色"), count(colors.size()),
                         QString::fromUtf8(item.Said)));
}

void TPalettePanel::execCellMenu(int cell, const QPoint &globalPos)
{
    if (std::size_t(cell) >= m_run.colors().size())
        return;
    const TColor color = m_run.colors()[std::size_t(cell)];
    QMenu menu(this);
    menu.addAction(QStringLiteral("新しい色にする(&N)"), this, [this, color] { emit colorWanted(color); });
    menu.addAction(QStringLiteral("作成した色に追加(&A)"), this, [this, color] { emit customColorWanted(color); });
    menu.exec(globalPos);
}

void TPalettePanel::paste()
{
    if (m_reader)
        return;
    say(QStringLiteral("クリップボードを読んでいます…"));
    m_paste->setEnabled(false);
    auto stop = std::make_shared<std::atomic<bool>>(false);
    auto read = std::make_shared<TPasteRead>();
    auto scan = std::make_shared<TPaletteScan>();
    m_stop = stop;
    // On X11 the clipboard is read off the event loop too, on a connection
    // of its own. Elsewhere Qt reads it here, whole, taken once, so a
    // clipboard that changes while it is read changes nothing of this
    // paste; its cut and conversion run off the event loop with the rest.
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const QString qtText = x11 ? QString() : QGuiApplication::clipboard()->text();
    m_reader = QThread::create([x11, qtText, stop, read, scan] {
        if (x11) {
            const auto clipboard = ReadX11Clipboard(ReadLimit, *stop);
            read->Failed = !clipboard;
            if (clipboard) {
                read->Text = clipboard->Text;
                read->Cut = clipboard->Cut;
            }
        } else {
            // A UTF-16 unit takes at most three bytes of UTF-8.
            read->Text = qtText.left(qsizetype(ReadLimit)).toUtf8();
            read->Cut = qtText.size() > qsizetype(ReadLimit) || std::size_t(read->Text.size()) > ReadLimit;
            if (read->Cut)
                read->Text.truncate(qsizetype(ReadLimit));
        }
        *scan = FindPaletteColors(std::string_view(read->Text.constData(), std::size_t(read->Text.size())),
                                  CustomColorCount, TRepeats::Skip, [&stop] { return !stop->load(); });
    });
    m_reader->setObjectName(QStringLiteral("paletteReader"));
    connect(m_reader, &QThread::finished, this, [this, read, scan] {
        m_reader->deleteLater();
        m_reader = nullptr;
        m_paste->setEnabled(true);
        if (read->Failed)
            say(QStringLiteral("クリップボードを読めませんでした。作成した色は変わりません。"));
        else if (read->Text.isEmpty())
            say(QStringLiteral("クリップボードに文字がありません。作成した色は変わりません。"));
        else
            applyScan(*scan, read->Cut);
    });
    m_reader->start();
}

void TPalettePanel::applyScan(const TPaletteScan &scan, bool cut)
{
    QStringList left;
    if (scan.Beyond)
        left << QStringLiteral("16 色を超えた %1 色").arg(count(scan.Beyond));
    if (scan.Repeats)
        left << QStringLiteral("重複 %1 色").arg(count(scan.Repeats));
    if (scan.Transparent)
        left << QStringLiteral("透明 %1 色").arg(count(scan.Transparent));
    QString text = scan.Colors.empty()
        ? QStringLiteral("クリップボードの文字に色が見つかりません。作成した色は変わりません。")
        : QStringLiteral("%1 色を作成した色に取り込みました。").arg(count(scan.Colors.size()));
    if (!left.isEmpty())
        text += QStringLiteral("残した色: ") + left.join(QStringLiteral("、")) + QStringLiteral("。");
    if (scan.Mapped)
        text += QStringLiteral("sRGB の範囲外の %1 色は近い色にしました。").arg(count(scan.Mapped));
    if (cut)
        text += QStringLiteral("長い文字のため、最初の %1 MB だけを読みました。").arg(count(ReadLimit >> 20));
    say(text);
    if (scan.Colors.empty())
        return;
    std::vector<TColor> colors;
    for (const TFoundColor &found : scan.Colors)
        colors.push_back(found.Color);
    emit pasted(colors);
}

void TPalettePanel::say(const QString &text)
{
    m_message->setText(text);
    m_menuButton->setAccessibleDescription(text);
}
