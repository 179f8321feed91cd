#pragma once
// Basic's general Collection: an ordered list of object references, each optionally under a
// key (keys compared without regard to case), addressed by 1-based position or by key.
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

#include "core/BasicConvert.h"
#include "core/Errors.h"

namespace storyloom {

// A number no collection had before: every change of a collection's entries gives it one, so
// what was worked out from a collection (an index) stays valid while its number is the same.
inline quint64 NextCollectionRevision() {
    static quint64 last = 0;
    return ++last;
}

template <typename T>
class KeyedCollection {
  public:
    using Ptr = std::shared_ptr<T>;

  private:
    struct Entry {
        Ptr item;
        QString key;
    };

  public:
    KeyedCollection() = default;
    // A copy holds copies of the items (a saved state does not change with the live one).
    KeyedCollection(const KeyedCollection& other) : revision_(other.revision_) {
        entries_.reserve(other.entries_.size());
        for (const Entry& e : other.entries_)
            entries_.push_back(Entry{e.item ? std::make_shared<T>(*e.item) : nullptr, e.key});
    }
    KeyedCollection& operator=(const KeyedCollection& other) {
        if (this != &other) {
            entries_ = KeyedCollection(other).entries_;
            revision_ = other.revision_;
        }
        return *this;
    }
    KeyedCollection(KeyedCollection&& other) noexcept
        : entries_(std::move(other.entries_)), revision_(other.revision_) {
        other.entries_.clear();
        other.revision_ = NextCollectionRevision();
    }
    KeyedCollection& operator=(KeyedCollection&& other) noexcept {
        if (this != &other) {
            entries_ = std::move(other.entries_);
            revision_ = other.revision_;
            other.entries_.clear();
            other.revision_ = NextCollectionRevision();
        }
        return *this;
    }
    // Changes whenever the entries do (see NextCollectionRevision).
    quint64 Revision() const { return revision_; }
    // Equal when the keys and the items' values are equal, in order.
    bool operator==(const KeyedCollection& other) const {
        if (entries_.size() != other.entries_.size()) return false;
        for (size_t i = 0; i < entries_.size(); ++i) {
            const Entry &a = entries_[i], &b = other.entries_[i];
            if (a.key != b.key || !a.item != !b.item) return false;
            if (a.item && !(*a.item == *b.item)) return false;
        }
        return true;
    }

    // Appends `item`, under `key` when it is not empty. A key already present fails with the
    // duplicate-key error and adds nothing.
    void Add(Ptr item, const QString& key = {}) {
        if (!key.isEmpty() && Find(key) >= 0) throw RunError::DuplicateKey();
        entries_.push_back(Entry{std::move(item), key});
        revision_ = NextCollectionRevision();
    }
    const Ptr& Item(int index) const { return entries_.at(CheckedIndex(index)).item; }
    const Ptr& Item(const QString& key) const {
        const int i = Find(key);
        if (i < 0) throw RunError::InvalidCall();
        return entries_.at(static_cast<size_t>(i)).item;
    }
    const Ptr& Item(const char* key) const { return Item(QString::fromUtf8(key)); }
    // A script's index-or-key argument: text is a key, anything else a position.
    const Ptr& Item(const QVariant& indexOrKey) const {
        if (indexOrKey.typeId() == QMetaType::QString) return Item(indexOrKey.toString());
        return Item(static_cast<int>(CLng(indexOrKey)));
    }
    int Count() const { return static_cast<int>(entries_.size()); }
    void Remove(int index) {
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(CheckedIndex(index)));
        revision_ = NextCollectionRevision();
    }
    void Remove(const QString& key) {
        const int i = Find(key);
        if (i < 0) throw RunError::InvalidCall();
        entries_.erase(entries_.begin() + i);
        revision_ = NextCollectionRevision();
    }
    void Remove(const char* key) { Remove(QString::fromUtf8(key)); }
    void Remove(const QVariant& indexOrKey) {
        if (indexOrKey.typeId() == QMetaType::QString)
            Remove(indexOrKey.toString());
        else
            Remove(static_cast<int>(CLng(indexOrKey)));
    }
    void Clear() {
        entries_.clear();
        revision_ = NextCollectionRevision();
    }

    // Enumeration in list order (Basic's For Each over NewEnum).
    class Iterator {
      public:
        using Inner = typename std::vector<Entry>::const_iterator;
        explicit Iterator(Inner it) : it_(it) {}
        const Ptr& operator*() const { return it_->item; }
        Iterator& operator++() {
            ++it_;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return it_ != other.it_; }

      private:
        Inner it_;
    };
    Iterator begin() const { return Iterator(entries_.begin()); }
    Iterator end() const { return Iterator(entries_.end()); }

  private:
    size_t CheckedIndex(int index) const {
        if (index < 1 || index > Count()) throw RunError::InvalidCall();
        return static_cast<size_t>(index - 1);
    }
    int Find(const QString& key) const {
        for (size_t i = 0; i < entries_.size(); ++i)
            if (!entries_[i].key.isEmpty() &&
                entries_[i].key.compare(key, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        return -1;
    }
    std::vector<Entry> entries_;
    quint64 revision_ = 0;
};

}  // namespace storyloom
