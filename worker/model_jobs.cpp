#include "model_jobs.h"

#include "job_code.h"
#include "model_kind.h"

namespace q470 {

std::int32_t ReadJobOf(std::uint32_t modelKind) {
    return modelKind == ModelQ470R ? JobReadQ470R : JobReadKs;
}

std::int32_t ApplyGeneralJobOf(std::uint32_t modelKind) {
    return modelKind == ModelQ470R ? JobApplyGeneralQ470R : JobApplyGeneralKs;
}

std::int32_t ApplyFileJobOf(std::uint32_t modelKind) {
    return modelKind == ModelQ470R ? JobApplyFileQ470R : JobApplyFileKs;
}

}  // namespace q470
