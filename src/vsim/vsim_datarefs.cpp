// Typed datarefs: the SDK's look-up, reads and writes, and the control functions that play the
// simulator's side.
#include <algorithm>
#include <atomic>

#include "vsim/vsim_state.h"

namespace XPL::VSIM {
namespace {

// Bounds what a plug-in's stray offset can make the simulator allocate.
constexpr std::int64_t kMaxArrayLength = 65536;

std::atomic<std::uint64_t> g_dataRefReads{0};

// Called with the state's mutex held, which orders every count: a plain load and store do, and
// cost the read nothing like a locked add would. Readers load it without the mutex.
void CountRead() {
    g_dataRefReads.store(g_dataRefReads.load(std::memory_order_relaxed) + 1,
                         std::memory_order_relaxed);
}

DataRefRecord& Ensure(SimState& state, std::string_view path) {
    auto found = state.dataRefs.find(path);
    if (found == state.dataRefs.end()) {
        found = state.dataRefs
                    .emplace(std::string(path), std::make_unique<DataRefRecord>(std::string(path)))
                    .first;
    }
    return *found->second;
}

DataRefRecord* Find(SimState& state, std::string_view path) {
    const auto found = state.dataRefs.find(path);
    return found == state.dataRefs.end() ? nullptr : found->second.get();
}

// The control functions retype a dataref outright; stale values of the old type go.
void Retype(DataRefRecord& record, DataType type) {
    if (record.type != type) {
        record.intValue = 0;
        record.floatValue = 0.0f;
        record.ints.clear();
        record.floats.clear();
        record.bytes.clear();
        record.type = type;
    }
}

// A plug-in write: an untyped dataref takes the type written; true when the type matches.
bool Accepts(DataRefRecord* record, DataType type) {
    if (record == nullptr) {
        return false;
    }
    if (record->type == DataType::None) {
        record->type = type;
    }
    return record->type == type;
}

template <typename T>
int ReadArray(const std::vector<T>& values, T* out, int offset, int max) {
    const auto size = static_cast<std::int64_t>(values.size());
    if (out == nullptr) {
        return static_cast<int>(size);
    }
    if (offset < 0 || max <= 0 || offset >= size) {
        return 0;
    }
    const auto count = std::min<std::int64_t>(max, size - offset);
    std::copy_n(values.begin() + offset, count, out);
    return static_cast<int>(count);
}

void JournalWrite(std::unique_lock<std::mutex>& lock, const DataRefRecord* record,
                  std::vector<double> values, DataType type) {
    Event event{EventKind::DataWrite, record != nullptr ? record->path : std::string()};
    event.values = std::move(values);
    event.type = type;
    AppendEvent(lock, std::move(event));
}

// XPLMSetDatavi and XPLMSetDatavf: writes from the offset, growing the array with zeros.
template <typename T>
void WriteArray(XPLMDataRef handle, const T* values, int offset, int count, DataType type,
                std::vector<T> DataRefRecord::*member) {
    std::unique_lock lock(State().mutex);
    DataRefRecord* record = AsDataRef(handle);
    const std::int64_t end = static_cast<std::int64_t>(offset) + count;
    const bool valid =
        offset >= 0 && count >= 0 && end <= kMaxArrayLength && (values != nullptr || count == 0);
    if (!valid) {
        JournalWrite(lock, record, {}, type);
        return;
    }
    if (Accepts(record, type) && count > 0) {
        std::vector<T>& array = record->*member;
        if (static_cast<std::int64_t>(array.size()) < end) {
            array.resize(static_cast<std::size_t>(end));
        }
        std::copy_n(values, count, array.begin() + offset);
    }
    JournalWrite(lock, record, std::vector<double>(values, values + count), type);
}

}  // namespace

void SetInt(const std::string& path, int value) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    DataRefRecord& record = Ensure(state, path);
    Retype(record, DataType::Int);
    record.intValue = value;
}

void SetFloat(const std::string& path, float value) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    DataRefRecord& record = Ensure(state, path);
    Retype(record, DataType::Float);
    record.floatValue = value;
}

void SetInts(const std::string& path, const std::vector<int>& values) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    DataRefRecord& record = Ensure(state, path);
    Retype(record, DataType::IntArray);
    record.ints = values;
}

void SetFloats(const std::string& path, const std::vector<float>& values) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    DataRefRecord& record = Ensure(state, path);
    Retype(record, DataType::FloatArray);
    record.floats = values;
}

void SetBytes(const std::string& path, const std::string& bytes) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    DataRefRecord& record = Ensure(state, path);
    Retype(record, DataType::Bytes);
    record.bytes = bytes;
}

DataType TypeOf(const std::string& path) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    const DataRefRecord* record = Find(state, path);
    return record != nullptr ? record->type : DataType::None;
}

int GetInt(const std::string& path) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    const DataRefRecord* record = Find(state, path);
    return record != nullptr && record->type == DataType::Int ? record->intValue : 0;
}

float GetFloat(const std::string& path) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    const DataRefRecord* record = Find(state, path);
    return record != nullptr && record->type == DataType::Float ? record->floatValue : 0.0f;
}

std::vector<int> GetInts(const std::string& path) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    const DataRefRecord* record = Find(state, path);
    return record != nullptr && record->type == DataType::IntArray ? record->ints
                                                                   : std::vector<int>();
}

std::vector<float> GetFloats(const std::string& path) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    const DataRefRecord* record = Find(state, path);
    return record != nullptr && record->type == DataType::FloatArray ? record->floats
                                                                     : std::vector<float>();
}

std::uint64_t DataRefReads() {
    return g_dataRefReads.load(std::memory_order_relaxed);
}

void RecordReads(bool on) {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    state.recordingReads = on;
    if (on) {
        state.recordedReads.clear();
    }
}

std::vector<std::pair<std::string, DataType>> RecordedReads() {
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    return state.recordedReads;
}

}  // namespace XPL::VSIM

using namespace XPL::VSIM;

namespace {

// Notes a read while recording; the caller holds the lock.
const DataRefRecord* Read(XPLMDataRef handle, DataType type) {
    CountRead();
    const DataRefRecord* record = AsDataRef(handle);
    SimState& state = State();
    if (state.recordingReads && record != nullptr &&
        std::none_of(state.recordedReads.begin(), state.recordedReads.end(),
                     [&](const auto& read) { return read.first == record->path; })) {
        state.recordedReads.emplace_back(record->path, type);
    }
    return record;
}

}  // namespace

XPLMDataRef XPLMFindDataRef(const char* inDataRefName) {
    const std::string_view path = inDataRefName != nullptr ? inDataRefName : "";
    SimState& state = State();
    const std::lock_guard lock(state.mutex);
    state.lookedUpDataRefs.emplace_back(path);
    if (!IsKnown(state, path)) {
        return nullptr;
    }
    return static_cast<Record*>(&Ensure(state, path));
}

XPLMDataTypeID XPLMGetDataRefTypes(XPLMDataRef inDataRef) {
    const std::lock_guard lock(State().mutex);
    const DataRefRecord* record = AsDataRef(inDataRef);
    switch (record != nullptr ? record->type : DataType::None) {
        case DataType::Int:
            return xplmType_Int;
        case DataType::Float:
            return xplmType_Float;
        case DataType::IntArray:
            return xplmType_IntArray;
        case DataType::FloatArray:
            return xplmType_FloatArray;
        case DataType::Bytes:
            return xplmType_Data;
        case DataType::None:
            break;
    }
    return xplmType_Unknown;
}

int XPLMGetDatai(XPLMDataRef inDataRef) {
    const std::lock_guard lock(State().mutex);
    const DataRefRecord* record = Read(inDataRef, DataType::Int);
    return record != nullptr && record->type == DataType::Int ? record->intValue : 0;
}

float XPLMGetDataf(XPLMDataRef inDataRef) {
    const std::lock_guard lock(State().mutex);
    const DataRefRecord* record = Read(inDataRef, DataType::Float);
    return record != nullptr && record->type == DataType::Float ? record->floatValue : 0.0f;
}

int XPLMGetDatavi(XPLMDataRef inDataRef, int* outValues, int inOffset, int inMax) {
    const std::lock_guard lock(State().mutex);
    const DataRefRecord* record = Read(inDataRef, DataType::IntArray);
    if (record == nullptr || record->type != DataType::IntArray) {
        return 0;
    }
    return ReadArray(record->ints, outValues, inOffset, inMax);
}

int XPLMGetDatavf(XPLMDataRef inDataRef, float* outValues, int inOffset, int inMax) {
    const std::lock_guard lock(State().mutex);
    const DataRefRecord* record = Read(inDataRef, DataType::FloatArray);
    if (record == nullptr || record->type != DataType::FloatArray) {
        return 0;
    }
    return ReadArray(record->floats, outValues, inOffset, inMax);
}

int XPLMGetDatab(XPLMDataRef inDataRef, void* outValue, int inOffset, int inMaxBytes) {
    const std::lock_guard lock(State().mutex);
    CountRead();
    const DataRefRecord* record = AsDataRef(inDataRef);
    if (record == nullptr || record->type != DataType::Bytes) {
        return 0;
    }
    const std::vector<char> bytes(record->bytes.begin(), record->bytes.end());
    return ReadArray(bytes, static_cast<char*>(outValue), inOffset, inMaxBytes);
}

void XPLMSetDatai(XPLMDataRef inDataRef, int inValue) {
    std::unique_lock lock(State().mutex);
    DataRefRecord* record = AsDataRef(inDataRef);
    if (Accepts(record, DataType::Int)) {
        record->intValue = inValue;
    }
    JournalWrite(lock, record, {static_cast<double>(inValue)}, DataType::Int);
}

void XPLMSetDataf(XPLMDataRef inDataRef, float inValue) {
    std::unique_lock lock(State().mutex);
    DataRefRecord* record = AsDataRef(inDataRef);
    if (Accepts(record, DataType::Float)) {
        record->floatValue = inValue;
    }
    JournalWrite(lock, record, {static_cast<double>(inValue)}, DataType::Float);
}

void XPLMSetDatavi(XPLMDataRef inDataRef, int* inValues, int inoffset, int inCount) {
    WriteArray(inDataRef, inValues, inoffset, inCount, DataType::IntArray, &DataRefRecord::ints);
}

void XPLMSetDatavf(XPLMDataRef inDataRef, float* inValues, int inoffset, int inCount) {
    WriteArray(inDataRef, inValues, inoffset, inCount, DataType::FloatArray,
               &DataRefRecord::floats);
}
