#pragma once

#include <QString>

#include "write_verifier.h"

namespace q470 {

// The box after the device was read back: "verified" with the count, or each setting that reads back
// differently ("Channel: written 101, read back 99"), or why nothing could be compared.
QString VerifyBoxText(const VerifyReport& report);
// Only a device that reads back everything as written is good news.
bool VerifyBoxIsGood(const VerifyReport& report);

}  // namespace q470
