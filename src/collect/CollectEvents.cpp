// SPDX-License-Identifier: GPL-3.0-or-later
#include "collect/CollectEvents.h"

namespace Collect {

const char* EventName(EEvent kind)
{
    switch (kind) {
    case EEvent::Found:
        return "found";
    case EEvent::Absent:
        return "absent";
    case EEvent::Downloaded:
        return "downloaded";
    case EEvent::Archived:
        return "archived";
    case EEvent::Saved:
        return "saved";
    case EEvent::Deleted:
        return "deleted";
    case EEvent::Kept:
        return "kept";
    case EEvent::Lost:
        return "lost";
    default:
        return "error";
    }
}

const char* StepName(EStep step)
{
    switch (step) {
    case EStep::Archive:
        return "archive";
    case EStep::Save:
        return "save";
    case EStep::Delete:
        return "delete";
    default:
        return "transfer";
    }
}

const char* StateName(EState state)
{
    switch (state) {
    case EState::Collecting:
        return "collecting";
    case EState::Absent:
        return "absent";
    case EState::Failed:
        return "failed";
    default:
        return "waiting";
    }
}

} // namespace Collect
