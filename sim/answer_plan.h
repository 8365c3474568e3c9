#pragma once

#include <chrono>
#include <vector>

#include "command_fault.h"
#include "modem_reply.h"
#include "output_queue.h"

namespace q470::sim {

// Lays the answer to one command out in time: the fault's delay, pauses, cuts and injected bytes,
// then the "later" line after `readyDelay`. `arrival` is when the command was acted on.
std::vector<OutputSegment> PlanAnswer(const ModemReply& reply, const CommandFault& fault, SteadyTime arrival,
                                      std::chrono::nanoseconds readyDelay);

}  // namespace q470::sim
