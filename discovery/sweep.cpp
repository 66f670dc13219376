#include "context.h"

using namespace ql5;

extern "C" {

void StopDiscovery(DiscoveryHandle handle)
{
    if (IsLiveContext(handle) == 0)
        return;
    DiscoveryContext* context = ResolveContext(handle);
    if (context == nullptr || context->sweepRunning == 0 || context->sweepStarted == 0)
        return;
    context->stopEvent->Set();
    if (context->sweepThread.joinable())
        context->sweepThread.join();
    context->sweepRunning = 0;
}

}  // extern "C"
