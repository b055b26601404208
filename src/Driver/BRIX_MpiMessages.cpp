#include "Driver/BRIX_MpiMessages.h"

#include "Search/BRIX_ApproximateRefine.h"
#include "Search/BRIX_StackEl.h"
#include "Search/BRIX_USAS.h"
#include "Search/BRIX_USASQuantified.h"

#include <cstring>
#include <type_traits>

namespace {

// Values appended as their bytes.
class Writer {
public:
    template <class T>
    void Put(T value) {
        static_assert(std::is_trivially_copyable<T>::value, "plain values only");
        const std::size_t at = bytes.size();
        bytes.resize(at + sizeof value);
        std::memcpy(bytes.data() + at, &value, sizeof value);
    }
    void PutBox(const Box& box) {
        Put<std::int32_t>(box.Dimension());
        for (int i = 0; i < box.Dimension(); ++i) {
            Put(box[i].lo);
            Put(box[i].hi);
        }
    }
    void PutMasks(const std::vector<std::uint32_t>& masks) {
        Put<std::uint64_t>(masks.size());
        for (std::uint32_t m : masks) {
            Put(m);
        }
    }
    void PutList(const std::vector<BRIX_ResultBox>& list) {
        Put<std::uint64_t>(list.size());
        for (const BRIX_ResultBox& b : list) {
            PutBox(b.box);
            PutMasks(b.trueSets);
            PutMasks(b.falseSets);
        }
    }
    std::vector<char> bytes;
};

// Values read back in the order written; ok turns false, for good, at the
// first read past the end or an impossible count.
class Reader {
public:
    explicit Reader(const std::vector<char>& bytes) : bytes_(bytes) {}
    template <class T>
    T Get() {
        T value{};
        if (!ok || bytes_.size() - at_ < sizeof value) {
            ok = false;
            return value;
        }
        std::memcpy(&value, bytes_.data() + at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    // A count of items of at least `size` bytes each that can still be there.
    std::uint64_t GetCount(std::size_t size) {
        const auto n = Get<std::uint64_t>();
        if (n > (bytes_.size() - at_) / size) {
            ok = false;
            return 0;
        }
        return n;
    }
    Box GetBox() {
        const auto n = Get<std::int32_t>();
        if (n < -1 || static_cast<std::uint64_t>(n + 1) > (bytes_.size() - at_) / 16 + 1) {
            ok = false;
            return Box();
        }
        Box box(n);
        for (int i = 0; i < n; ++i) {
            const double lo = Get<double>();
            const double hi = Get<double>();
            box.Set(i, Iv_Itvl<double>::FromBounds(lo, hi));
        }
        return box;
    }
    std::vector<std::uint32_t> GetMasks() {
        std::vector<std::uint32_t> masks(GetCount(sizeof(std::uint32_t)));
        for (std::uint32_t& m : masks) {
            m = Get<std::uint32_t>();
        }
        return masks;
    }
    std::vector<BRIX_ResultBox> GetList() {
        std::vector<BRIX_ResultBox> list(GetCount(4 + 2 * 8));
        for (BRIX_ResultBox& b : list) {
            b.box = GetBox();
            b.trueSets = GetMasks();
            b.falseSets = GetMasks();
        }
        return list;
    }
    // Every byte read and no read failed.
    bool Whole() const { return ok && at_ == bytes_.size(); }

    bool ok = true;

private:
    const std::vector<char>& bytes_;
    std::size_t at_ = 0;
};

constexpr std::uint32_t JobMark = 0x4a4f4231u;     // tells a job from other bytes
constexpr std::uint32_t ResultMark = 0x52534c31u;  // and a result

std::vector<std::uint32_t> MasksOf(const MaskList& list) {
    std::vector<std::uint32_t> masks;
    for (int i = 0; i < list.Size(); ++i) {
        masks.push_back(list[i]);
    }
    return masks;
}

std::vector<BRIX_ResultBox> ListOf(const BRIX_StackEl* head) {
    std::vector<BRIX_ResultBox> list;
    for (const BRIX_StackEl* e = head; e != nullptr; e = e->next) {
        list.push_back({e->box, MasksOf(e->continuity.trueSets), MasksOf(e->continuity.falseSets)});
    }
    return list;
}

// The list of box holders for the boxes, in their order.
BRIX_StackEl* HoldersOf(const std::vector<BRIX_ResultBox>& list) {
    BRIX_StackEl* head = nullptr;
    BRIX_StackEl** tail = &head;
    for (const BRIX_ResultBox& b : list) {
        BRIX_StackEl* e = new BRIX_StackElAtomic(b.box, nullptr);
        for (std::uint32_t m : b.trueSets) {
            e->continuity.trueSets.Append(m);
        }
        for (std::uint32_t m : b.falseSets) {
            e->continuity.falseSets.Append(m);
        }
        *tail = e;
        tail = &e->next;
    }
    return head;
}

// The piece's top store made anew and emptied; null when the piece's
// constraint makes none (a closed sentence).
BRIX_USASQuantifiedStore* EmptyStore(BRIX_Problem& piece) {
    if (piece.approximation != nullptr) {
        piece.approximation->Destroy();
        piece.approximation = nullptr;
    }
    if (!piece.hasFreeVariables || piece.constraint == nullptr) {
        return nullptr;
    }
    BRIX_USAS* top = CreateUsas(piece.constraint, true);
    auto* store = dynamic_cast<BRIX_USASQuantifiedStore*>(top);
    if (store == nullptr) {
        if (top != nullptr) {
            top->Destroy();
        }
        return nullptr;
    }
    piece.approximation = store;
    BRIX_USASQuantified::DestroyList(store->stack);
    return store;
}

}  // namespace

std::vector<char> packJob(const BRIX_PieceJob& job) {
    Writer w;
    w.Put(JobMark);
    w.Put(job.index);
    w.Put(job.errorBound);
    w.Put(job.timeLeft);
    w.PutBox(job.box);
    return std::move(w.bytes);
}

bool unpackJob(const std::vector<char>& bytes, BRIX_PieceJob& job) {
    Reader r(bytes);
    if (r.Get<std::uint32_t>() != JobMark) {
        return false;
    }
    job.index = r.Get<std::int64_t>();
    job.errorBound = r.Get<double>();
    job.timeLeft = r.Get<std::uint64_t>();
    job.box = r.GetBox();
    return r.Whole();
}

std::vector<char> packResult(const BRIX_PieceResult& result) {
    Writer w;
    w.Put(ResultMark);
    w.Put(result.index);
    const unsigned flags = (result.complete ? 1u : 0u) | (result.timedOut ? 2u : 0u) |
                           (result.provedTrue ? 4u : 0u) | (result.provedFalse ? 8u : 0u);
    w.Put(flags);
    w.Put(result.precisionLosses);
    w.PutBox(result.lostBox);
    w.Put(result.lostVar);
    w.Put(result.processorMicros);
    w.Put(result.wallSeconds);
    w.PutList(result.trueBoxes);
    w.PutList(result.falseBoxes);
    w.PutList(result.openBoxes);
    return std::move(w.bytes);
}

bool unpackResult(const std::vector<char>& bytes, BRIX_PieceResult& result) {
    Reader r(bytes);
    if (r.Get<std::uint32_t>() != ResultMark) {
        return false;
    }
    BRIX_PieceResult read;
    read.index = r.Get<std::int64_t>();
    const auto flags = r.Get<unsigned>();
    read.complete = (flags & 1u) != 0;
    read.timedOut = (flags & 2u) != 0;
    read.provedTrue = (flags & 4u) != 0;
    read.provedFalse = (flags & 8u) != 0;
    read.precisionLosses = r.Get<std::int64_t>();
    read.lostBox = r.GetBox();
    read.lostVar = r.Get<std::int32_t>();
    read.processorMicros = r.Get<std::int64_t>();
    read.wallSeconds = r.Get<double>();
    read.trueBoxes = r.GetList();
    read.falseBoxes = r.GetList();
    read.openBoxes = r.GetList();
    // A piece is never both true and false: such bytes are not a result.
    if (!r.Whole() || (read.provedTrue && read.provedFalse)) {
        return false;
    }
    result = std::move(read);
    return true;
}

BRIX_PieceResult resultOf(const BRIX_Problem& piece) {
    BRIX_PieceResult result;
    result.complete = piece.complete;
    result.timedOut = piece.timedOut;
    result.provedTrue = piece.provedTrue;
    result.provedFalse = piece.provedFalse;
    result.precisionLosses = piece.precisionLosses;
    result.lostBox = piece.lostBox;
    result.lostVar = piece.lostVar;
    const auto* store = dynamic_cast<const BRIX_USASQuantifiedStore*>(piece.approximation);
    if (store != nullptr) {
        result.trueBoxes = ListOf(store->trueBoxes);
        result.falseBoxes = ListOf(store->falseBoxes);
        result.openBoxes = ListOf(store->stack);
    }
    return result;
}

void installResult(const BRIX_PieceResult& result, BRIX_Problem& piece) {
    piece.refined = true;
    piece.complete = result.complete;
    piece.timedOut = result.timedOut;
    piece.provedTrue = result.provedTrue;
    piece.provedFalse = result.provedFalse;
    piece.precisionLosses = result.precisionLosses;
    piece.lostBox = result.lostBox;
    piece.lostVar = result.lostVar;
    BRIX_USASQuantifiedStore* store = EmptyStore(piece);
    if (store == nullptr) {
        // A piece with free variables needs a store for its boxes: without
        // one its part of B stays open.
        piece.complete = piece.complete && !piece.hasFreeVariables;
        return;
    }
    store->trueBoxes = HoldersOf(result.trueBoxes);
    store->falseBoxes = HoldersOf(result.falseBoxes);
    store->stack = HoldersOf(result.openBoxes);
}

void installLost(BRIX_Problem& piece) {
    BRIX_PieceResult lost;
    if (piece.hasFreeVariables) {
        lost.openBoxes.push_back({piece.box, {}, {}});
    }
    installResult(lost, piece);
    piece.piecesLost = 1;
}
