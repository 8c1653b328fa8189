#include "platform/sni/WatcherRules.h"

namespace platform::sni {

std::string watcherOwnerRule() {
    return std::string("type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
                       "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg0='") +
           watcherName + "'";
}

} // namespace platform::sni
