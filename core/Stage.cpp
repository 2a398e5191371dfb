#include "core/Stage.h"

namespace tarnwick {
namespace {
thread_local const char* t_stage = "";
}

const char* CurrentStage() { return t_stage; }

CStageScope::CStageScope(const char* name) : previous_(t_stage) { t_stage = name; }
CStageScope::~CStageScope() { t_stage = previous_; }

}  // namespace tarnwick
