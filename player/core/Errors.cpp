#include "core/Errors.h"

#include "platform/seqfile/SeqFile.h"

namespace storyloom {

QString ErrorDescription(const std::exception& e) {
    if (const auto* run = dynamic_cast<const RunError*>(&e)) return run->Description();
    if (const auto* seq = dynamic_cast<const SeqError*>(&e)) return seq->Description();
    if (dynamic_cast<const std::bad_alloc*>(&e)) return QStringLiteral("Out of memory");
    return QString::fromLocal8Bit(e.what());
}

}  // namespace storyloom
