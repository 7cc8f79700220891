// Placeholder until the USB probe manager exists: nobody waits on
// "VovCloseEvent" yet, so there is nothing to set.
#include "streamio/StreamHooks.h"

namespace StreamIO {

void SetVovCloseEvent()
{
}

} // namespace StreamIO
