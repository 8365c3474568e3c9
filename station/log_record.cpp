#include "log_record.h"

namespace q470 {

const char* RecordResultWord(RecordResult result) {
    switch (result) {
        case RecordResult::Pass:
            return "pass";
        case RecordResult::Fail:
            return "fail";
        case RecordResult::Skipped:
            return "skipped";
        case RecordResult::Interrupted:
            return "interrupted";
    }
    return "fail";
}

}  // namespace q470
