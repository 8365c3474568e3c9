#pragma once

#include "device_records.h"
#include "general_settings.h"
#include "gpio_settings.h"
#include "setting_item.h"

namespace q470 {

// What a job reads, copied when it is queued: the owner may change its own records, pages and file
// list while the job runs on the worker thread.
struct JobInput {
    ConnectionLine line;        // the line the port was opened with; read time-outs follow its baud rate
    GeneralSettings general;    // the general apply jobs
    GpioSettings gpio;          // the GPIO apply job
    SettingItemList fileItems;  // the file apply jobs
};

}  // namespace q470
