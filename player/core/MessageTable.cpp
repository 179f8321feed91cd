#include "core/MessageTable.h"

#include "core/Errors.h"

namespace storyloom {

const QString& MessageTable::operator()(int index) const {
    static const QString kEmpty;
    if (index < 0 || index >= kCount) return kEmpty;
    return texts_[static_cast<size_t>(index)];
}

void MessageTable::Set(int index, const QString& text) {
    if (index < 0 || index >= kCount) throw RunError::SubscriptOutOfRange();
    texts_[static_cast<size_t>(index)] = text;
}

void MessageTable::Clear() {
    for (auto& t : texts_) t.clear();
}

}  // namespace storyloom
