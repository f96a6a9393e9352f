// Picking on a Wayland compositor that offers the layer shell and a copy of
// each output (sway, Hyprland, river, labwc, COSMIC), on a Wayland
// connection of its own: each output's pixels are copied once, through
// ext-image-copy-capture where the compositor offers it and wlroots'
// screencopy otherwise, before anything of the pick is shown, and that
// frozen frame is shown again over the whole output in a layer-shell
// overlay that takes the keyboard, with the loupe drawn into it beside the
// pointer. The pixel taken is the frozen frame's device pixel under the
// pointer, whatever the output's scale, transform and pixel format
// (frameview.h).
#pragma once

#include "pickbackend.h"

#include <memory>
#include <vector>

class QSocketNotifier;
struct wl_display;

class TScreencopyPick : public TPickBackend
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TScreencopyPick)

public:
    explicit TScreencopyPick(QObject *parent);
    ~TScreencopyPick() override;

    /// Connects to the compositor and reads the globals it announces, without
    /// waiting for them: availabilityChanged() follows where an output copy
    /// (either protocol) and the layer shell are offered, notOffered() where
    /// they are not.
    void checkAvailability() override;
    void start(QWidget *window) override;
    void release() override;

    struct Globals;
    struct Output;

signals:
    /// The compositor offers no output copy or no layer shell (or there is no
    /// Wayland compositor): the pick must be made another way.
    void notOffered();
    /// Every output's overlay of the running pick has been drawn once by the
    /// compositor: the pick is on screen.
    void overlayShown();

private:
    friend struct TWaylandEvents;

    void dispatch();
    void flush();
    void checked();
    void lost();
    void fail(const QString &why);
    void frameReady();
    void showOverlays();
    void seatChanged(uint32_t capabilities);
    void takeInput();
    void makeCursor();
    void configured(Output &output);
    void pointerAt(Output *output, double x, double y);
    void key(uint32_t key);
    void take();
    void drawLoupe(Output &output);
    void hideLoupe(Output &output);
    void outputRemoved(uint32_t name);
    void disconnect();

    wl_display *m_display = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    std::unique_ptr<Globals> m_globals;
    std::vector<std::unique_ptr<Output>> m_outputs;
    Output *m_current = nullptr;  // where the pointer or the arrow keys last were
    bool m_checked = false;
    bool m_picking = false;
    bool m_shown = false;
};
