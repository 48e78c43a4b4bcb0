#include "decode/NetworkStage.h"

namespace corvanta {

// Not written yet.
void NetworkStage::Decode(const FrameRecord&, const DataLinkResult&) { (void)model_; (void)env_; }
void NetworkStage::MarkLearnedServers() {}

}  // namespace corvanta
