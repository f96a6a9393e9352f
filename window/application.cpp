#include "application.h"

#include "controls.h"

#include <QLoggingCategory>
#include <QMessageBox>
#include <QProxyStyle>
#include <QRegularExpression>
#include <QStyleFactory>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace {

// The page step equals the line step, so a trough click moves by one; a
// style that jumps to the pointer on a left or middle click would not.
class TStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ScrollBar_LeftClickAbsolutePosition || hint == SH_ScrollBar_MiddleClickAbsolutePosition)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

int handlerDepth = 0;
std::exception_ptr carried;

// Qt keeps references to the argument count and vector for the whole run.
// It sees the program's name and nothing else, so none of its own options
// (-reverse, -style, -platform, -qwindowgeometry ...) changes the program.
int qtArgc = 1;
char fallbackName[] = "tintaro";
char *qtArgv[] = {fallbackName, nullptr};

// While Qt starts, its messages are held back. A start without any window
// system to reach ends with one line of ours and status 1 instead of Qt's
// abort (a core file, and advice to reinstall); after a good start the held
// messages go on to the previous handler as they would have.
struct THeldMessage
{
    QtMsgType type;
    const char *file;
    int line;
    const char *function;
    const char *category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::mutex heldMutex;  // Qt's event reader thread may report too
std::vector<THeldMessage> heldMessages;

// Qt 6.4 looks for "flatpak-info" in the runtime folder while it starts,
// and without a usable XDG_RUNTIME_DIR it creates $TMPDIR/runtime-$USER for
// that. Its temporary folder lies under /dev/null, where nothing can be
// created; a usable runtime folder is not affected. It is set before Qt
// starts and stays so: putting it back would change the environment while
// Qt's threads (the X11 event reader, D-Bus) may read it, and the program
// writes no temporary file and starts no other program.
constexpr char startTempFolder[] = "/dev/null";

// A runtime folder that is not there, Qt would create; nothing of the
// session (its bus, a Wayland socket) can be in it, so it is dropped before
// Qt starts and Qt falls back to the temporary folder above, where nothing
// can be made. Unset, for the same reason as TMPDIR stays set.
void dropMissingRuntimeFolder()
{
    const QByteArray folder = qgetenv("XDG_RUNTIME_DIR");
    struct stat status;
    if (!folder.isEmpty() && (::stat(folder.constData(), &status) != 0 || !S_ISDIR(status.st_mode)))
        qunsetenv("XDG_RUNTIME_DIR");
}

// The plugin named in Qt's note that it has no such platform plugin, if it
// made one while it started.
QString unknownPlatformPlugin()
{
    static const QRegularExpression note(QStringLiteral("^Could not find the Qt platform plugin \"([^\"]*)\""));
    const std::lock_guard lock(heldMutex);
    for (const THeldMessage &message : heldMessages) {
        const QRegularExpressionMatch match = note.match(message.text);
        if (match.hasMatch())
            return match.captured(1);
    }
    return QString();
}

void holdStartMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg && text.contains(QLatin1String("no Qt platform plugin could be initialized"))) {
        const QString unknown = unknownPlatformPlugin();
        if (unknown.isEmpty()) {
            std::fputs("tintaro: X11 のディスプレイにも Wayland のコンポジターにも接続できません"
                       " (no X11 display or Wayland compositor could be reached)\n",
                       stderr);
        } else {
            // QT_QPA_PLATFORM names a plugin that is not installed: the
            // installed ones, as Qt lists them, are what the user can ask for.
            static const QRegularExpression list(QStringLiteral("Available platform plugins are: ([^\n]*?)\\.?\\s*$"));
            const QString available = list.match(text).captured(1);
            const QString line = QStringLiteral("tintaro: Qt のプラットフォームプラグイン \"%1\" はありません"
                                                " (unknown Qt platform plugin \"%1\"; available: %2)\n")
                                     .arg(unknown, available);
            std::fputs(line.toUtf8().constData(), stderr);
        }
        std::fflush(stderr);
        // Nothing of the half-built application is torn down.
        std::_Exit(1);
    }
    if (type == QtFatalMsg) {
        previousHandler(type, context, text);
        return;
    }
    const std::lock_guard lock(heldMutex);
    heldMessages.push_back({type, context.file, context.line, context.function, context.category, text});
}

// After the start, what Qt says goes on to the previous handler, except its
// notes on the fonts it searched for a script that the window's font lacks
// (pasted Devanagari digits give one per installed family): the text is
// drawn from a fallback all the same, and there is nothing the user could do.
void passMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg && text.trimmed().startsWith(QLatin1String("OpenType support missing for")))
        return;
    previousHandler(type, context, text);
}

int &startArguments(int argc, char **argv)
{
    if (argc > 0 && argv[0])
        qtArgv[0] = argv[0];
    previousHandler = qInstallMessageHandler(holdStartMessage);
    qputenv("TMPDIR", startTempFolder);
    dropMissingRuntimeFolder();
    return qtArgc;
}

void finishStart()
{
    qInstallMessageHandler(passMessage);
    // The font database's own category, for the same reason; QT_LOGGING_RULES
    // still turns it on for a developer.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.text.font.*.warning=false\nqt.qpa.fonts.warning=false"));
    std::vector<THeldMessage> held;
    {
        const std::lock_guard lock(heldMutex);
        held.swap(heldMessages);
    }
    for (const THeldMessage &message : held) {
        // Qt's notes about the runtime folder it was kept from creating.
        if (message.text.contains(QLatin1String(startTempFolder)))
            continue;
        passMessage(message.type, QMessageLogContext(message.file, message.line, message.function, message.category),
                    message.text);
    }
}

} // namespace

TApplication::TApplication(int &argc, char **argv)
    : QApplication(startArguments(argc, argv), qtArgv)
{
    finishStart();
    // Qt's own texts (context menus, standard buttons) in Japanese, from the
    // copy built into the program: no translation file is read.
    auto *translator = new QTranslator(this);
    if (translator->load(QStringLiteral(":/translations/qtbase_ja.qm")))
        installTranslator(translator);
    setStyle(createStyle());
    // The whole path, however long, as the system reports it.
    m_title = titleFromPath(applicationFilePath());
}

QStyle *TApplication::createStyle(const QString &baseStyle)
{
    // Without a base the proxy takes the desktop's own style, which is
    // Fusion where the desktop names none.
    return baseStyle.isEmpty() ? new TStyle : new TStyle(QStyleFactory::create(baseStyle));
}

QString TApplication::titleFromPath(const QString &path)
{
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return name.left(1) + name.mid(1).toLower();
}

QString TApplication::exceptionText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showException(std::current_exception());
    }
    return false;
}

void TApplication::showException(std::exception_ptr error)
{
    QString message = QStringLiteral("不明なエラー");
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
    }
    QMessageBox box(QMessageBox::Critical, m_title, exceptionText(message), QMessageBox::Ok, activeWindow());
    box.exec();
}

namespace {

// Raises the exception that a nested handler left, if any.
void raiseCarriedException()
{
    if (carried)
        std::rethrow_exception(std::exchange(carried, nullptr));
}

} // namespace

void RunHandler(const std::function<void()> &handler)
{
    // Only a handler run here can leave an exception to carry, so the
    // controls need the check from the first run on.
    static const bool checked = (SetAfterSignalCheck(raiseCarriedException), true);
    Q_UNUSED(checked);
    ++handlerDepth;
    try {
        handler();
    } catch (...) {
        carried = std::current_exception();
    }
    --handlerDepth;
    if (handlerDepth == 0 && carried) {
        const std::exception_ptr error = std::exchange(carried, nullptr);
        if (auto *application = qobject_cast<TApplication *>(QCoreApplication::instance()))
            application->showException(error);
    }
}

