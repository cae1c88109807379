// A very small X11 system tray, enough for a tray icon to dock in it: it
// owns the tray selection of the default screen, shows a strip at the top
// right of the screen and embeds (XEmbed) each icon that asks, side by side.
// It says what it does on standard output, one line each:
//   "tray ready"                once icons can dock,
//   "docked <x> <y> <size>"     for each icon, where its middle is on the screen.
// It runs until it is killed or its display goes away; its icons then go
// back to the screen, as with any tray. Started with "--announce", it tells
// the icons already there that a tray has come, as a panel that restarts
// does, and they dock again.

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr std::uint16_t iconSize = 24;
constexpr std::uint16_t slots = 8;
// The two messages of the protocols that matter here.
constexpr std::uint32_t requestDock = 0;
constexpr std::uint32_t embeddedNotify = 0;

xcb_atom_t atom(xcb_connection_t *connection, const std::string &name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::uint16_t(name.size()), name.c_str()), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    const bool announce = argc > 1 && std::string(argv[1]) == "--announce";
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection))
        return 1;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    xcb_screen_t *screen = screens.data;

    const xcb_atom_t selection = atom(connection, "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber));
    const xcb_atom_t opcode = atom(connection, "_NET_SYSTEM_TRAY_OPCODE");
    const xcb_atom_t xembed = atom(connection, "_XEMBED");

    // Placed by no window manager, so that it stays where icons are looked for.
    const xcb_window_t tray = xcb_generate_id(connection);
    const std::int16_t left = std::int16_t(screen->width_in_pixels - iconSize * slots);
    const std::uint32_t values[] = {0x808080, 1};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, tray, screen->root, left, 0, iconSize * slots, iconSize, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(connection, tray);

    // Icons made from now on find the tray through the selection (the
    // display is the test's own, so no other tray holds it). Unasked, it
    // tells no one that it is there: an icon made just before that learnt of
    // it would make its window anew and dock again, somewhere else. The
    // round trip makes sure the server has done it before the tray says so.
    xcb_set_selection_owner(connection, tray, selection, XCB_CURRENT_TIME);
    if (announce) {
        const xcb_client_message_event_t manager{.response_type = XCB_CLIENT_MESSAGE, .format = 32, .sequence = 0,
                                                 .window = screen->root, .type = atom(connection, "MANAGER"),
                                                 .data = {.data32 = {XCB_CURRENT_TIME, selection, tray, 0, 0}}};
        xcb_send_event(connection, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&manager));
    }
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // one line at a time, to a pipe too
    std::printf("tray ready\n");

    std::uint16_t docked = 0;
    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        const auto *message = reinterpret_cast<xcb_client_message_event_t *>(event);
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == opcode
            && message->data.data32[1] == requestDock && docked < slots) {
            const xcb_window_t icon = message->data.data32[2];
            // Handed back to the screen, not destroyed, when the tray goes.
            xcb_change_save_set(connection, XCB_SET_MODE_INSERT, icon);
            const std::int16_t x = std::int16_t(docked++ * iconSize);
            xcb_reparent_window(connection, icon, tray, x, 0);
            const std::uint32_t size[] = {iconSize, iconSize};
            xcb_configure_window(connection, icon, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
            xcb_map_window(connection, icon);
            const xcb_client_message_event_t notify{.response_type = XCB_CLIENT_MESSAGE, .format = 32, .sequence = 0,
                                                    .window = icon, .type = xembed,
                                                    .data = {.data32 = {XCB_CURRENT_TIME, embeddedNotify, 0, tray, 0}}};
            xcb_send_event(connection, 0, icon, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&notify));
            // Only say so once the server has done it: a round trip.
            std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
            std::printf("docked %d %d %d\n", left + x + iconSize / 2, iconSize / 2, int(iconSize));
        }
        std::free(event);
    }
    return 0;
}
