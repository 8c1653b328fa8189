// libsystemd's bus, opened when the first StatusNotifierItem or notification needs it: a
// session whose icons stay in the XEmbed tray never loads it, nor the libraries it brings
// (libgcrypt, libgpg-error, lz4, lzma, zstd, libcap), about 0.8 MB of the resident set. Each
// function the program calls is defined here and passes the call on; without the library, each
// fails as it would without a session bus, and the icons stay in the XEmbed tray.
#include "platform/posix/SharedLibrary.h"

#include <cerrno>
#include <cstdarg>
#include <systemd/sd-bus.h>

namespace {

platform::SharedLibrary& systemd() {
    static platform::SharedLibrary library("libsystemd.so.0");
    return library;
}

constexpr int missing = -ENOSYS;

} // namespace

// Defines the variadic function `name` to pass its call on to the library's form of it that
// takes the arguments as a va_list, `name` followed by v; `list` holds those after `last`.
#define PASS_ON_LIST(name, parameters, last, arguments)                                            \
    int name parameters {                                                                          \
        static auto* const passedTo = systemd().find<decltype(name##v)>(#name "v");                \
        if (passedTo == nullptr)                                                                   \
            return missing;                                                                        \
        va_list list;                                                                              \
        va_start(list, last);                                                                      \
        const int r = passedTo arguments;                                                          \
        va_end(list);                                                                              \
        return r;                                                                                  \
    }

extern "C" {

// The format of the vtables the program exports, which the library reads from their first
// entry: the one it was built against.
const unsigned sd_bus_object_vtable_format = 242;

PAKVUE_PASS_ON(systemd, missing, int, sd_bus_open_user, (sd_bus * *bus), (bus))
PAKVUE_PASS_ON(systemd, nullptr, sd_bus*, sd_bus_flush_close_unref, (sd_bus * bus), (bus))
PAKVUE_PASS_ON(systemd, nullptr, sd_bus*, sd_bus_close_unref, (sd_bus * bus), (bus))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_get_fd, (sd_bus * bus), (bus))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_get_events, (sd_bus * bus), (bus))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_get_timeout, (sd_bus * bus, uint64_t* until),
               (bus, until))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_process, (sd_bus * bus, sd_bus_message** message),
               (bus, message))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_is_open, (sd_bus * bus), (bus))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_get_n_queued_write, (sd_bus * bus, uint64_t* count),
               (bus, count))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_request_name,
               (sd_bus * bus, const char* name, uint64_t flags), (bus, name, flags))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_add_object_vtable,
               (sd_bus * bus, sd_bus_slot** slot, const char* path, const char* interface,
                const sd_bus_vtable* vtable, void* userdata),
               (bus, slot, path, interface, vtable, userdata))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_add_match,
               (sd_bus * bus, sd_bus_slot** slot, const char* match,
                sd_bus_message_handler_t callback, void* userdata),
               (bus, slot, match, callback, userdata))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_match_signal,
               (sd_bus * bus, sd_bus_slot** slot, const char* sender, const char* path,
                const char* interface, const char* member, sd_bus_message_handler_t callback,
                void* userdata),
               (bus, slot, sender, path, interface, member, callback, userdata))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_send,
               (sd_bus * bus, sd_bus_message* message, uint64_t* cookie), (bus, message, cookie))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_call,
               (sd_bus * bus, sd_bus_message* message, uint64_t timeout, sd_bus_error* error,
                sd_bus_message** reply),
               (bus, message, timeout, error, reply))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_message_new_method_call,
               (sd_bus * bus, sd_bus_message** message, const char* destination, const char* path,
                const char* interface, const char* member),
               (bus, message, destination, path, interface, member))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_message_new_method_return,
               (sd_bus_message * call, sd_bus_message** reply), (call, reply))
PAKVUE_PASS_ON(systemd, nullptr, sd_bus_message*, sd_bus_message_unref, (sd_bus_message * message),
               (message))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_message_open_container,
               (sd_bus_message * message, char type, const char* contents),
               (message, type, contents))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_message_close_container, (sd_bus_message * message),
               (message))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_message_append_array,
               (sd_bus_message * message, char type, const void* data, size_t size),
               (message, type, data, size))
PAKVUE_PASS_ON(systemd, missing, int, sd_bus_message_read_array,
               (sd_bus_message * message, char type, const void** data, size_t* size),
               (message, type, data, size))
PAKVUE_PASS_ON(systemd, nullptr, const sd_bus_error*, sd_bus_message_get_error,
               (sd_bus_message * message), (message))
PAKVUE_PASS_ON_VOID(systemd, sd_bus_error_free, (sd_bus_error * error), (error))

PASS_ON_LIST(sd_bus_message_append, (sd_bus_message * message, const char* types, ...), types,
             (message, types, list))
PASS_ON_LIST(sd_bus_message_read, (sd_bus_message * message, const char* types, ...), types,
             (message, types, list))
PASS_ON_LIST(sd_bus_reply_method_return, (sd_bus_message * call, const char* types, ...), types,
             (call, types, list))
PASS_ON_LIST(sd_bus_emit_signal,
             (sd_bus * bus, const char* path, const char* interface, const char* member,
              const char* types, ...),
             types, (bus, path, interface, member, types, list))
PASS_ON_LIST(sd_bus_call_method_async,
             (sd_bus * bus, sd_bus_slot** slot, const char* destination, const char* path,
              const char* interface, const char* member, sd_bus_message_handler_t callback,
              void* userdata, const char* types, ...),
             types,
             (bus, slot, destination, path, interface, member, callback, userdata, types, list))
PASS_ON_LIST(sd_bus_error_setf, (sd_bus_error * error, const char* name, const char* format, ...),
             format, (error, name, format, list))

} // extern "C"
