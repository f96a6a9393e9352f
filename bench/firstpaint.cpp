#include "firstpaint.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// For the profile's memory split, at the first paint:
// TINTARO_BENCH_SMAPS=FILE copies /proc/self/smaps to FILE, and
// TINTARO_BENCH_PAGES=FILE writes, for each mapping of code from a file, a
// line "map OFFSET PATH" and the file offset of each page it has resident.
void copyMemoryMap()
{
    const char *target = std::getenv("TINTARO_BENCH_SMAPS");
    if (!target)
        return;
    std::FILE *in = std::fopen("/proc/self/smaps", "r");
    std::FILE *out = std::fopen(target, "w");
    char buffer[65536];
    std::size_t n = 0;
    while (in && out && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        std::fwrite(buffer, 1, n, out);
    for (std::FILE *file : {in, out})
        if (file)
            std::fclose(file);
}

void listResidentCodePages()
{
    const char *target = std::getenv("TINTARO_BENCH_PAGES");
    if (!target)
        return;
    std::FILE *maps = std::fopen("/proc/self/maps", "r");
    std::FILE *pagemap = std::fopen("/proc/self/pagemap", "r");
    std::FILE *out = std::fopen(target, "w");
    char line[4096];
    while (maps && pagemap && out && std::fgets(line, sizeof line, maps)) {
        unsigned long start = 0, end = 0, offset = 0;
        char perms[8] = {};
        const char *path = std::strchr(line, '/');
        if (std::sscanf(line, "%lx-%lx %7s %lx", &start, &end, perms, &offset) != 4 || perms[2] != 'x' || !path)
            continue;
        std::fprintf(out, "map %lx %s", offset, path);
        for (unsigned long page = start; page < end; page += 4096) {
            // Bit 63 of a page's entry: present in memory.
            unsigned long long entry = 0;
            std::fseek(pagemap, long(page / 4096 * 8), SEEK_SET);
            if (std::fread(&entry, 8, 1, pagemap) == 1 && (entry >> 63))
                std::fprintf(out, "%lx\n", offset + (page - start));
        }
    }
    for (std::FILE *file : {maps, pagemap, out})
        if (file)
            std::fclose(file);
}

class TFirstPaint : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QWindow *>(watched);
        if (!m_seen && event->type() == QEvent::Expose && window && window->isExposed()) {
            m_seen = true;
            // Widgets paint and flush while the expose event is handled; the
            // zero timer runs right after that.
            QTimer::singleShot(0, this, [] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("first-paint %lld\n",
                            static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
                std::fflush(stdout);
                copyMemoryMap();
                listResidentCodePages();
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

void quitAfterFirstPaint(QApplication &application)
{
    application.installEventFilter(new TFirstPaint(&application));
}
