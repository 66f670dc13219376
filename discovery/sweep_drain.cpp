// SPDX-License-Identifier: Apache-2.0
#include "sweep_drain.h"

#include "context.h"
#include "receive_reply.h"

#include <algorithm>
#include <new>

namespace ql5 {

std::unique_ptr<ReceiveBatch> ReceiveBatch::Create() noexcept
{
    std::unique_ptr<ReceiveBatch> batch(new (std::nothrow) ReceiveBatch);
    if (batch) {
        for (std::size_t i = 0; i < kSize; ++i)
            batch->slots_[i] =
                platform::DatagramSlot{batch->buffers_[i].data(), kReceiveBufferSize};
    }
    return batch;
}

static_assert(ReplyQueue::kMaxSpareRecords >= kMaxDatagramsPerDrain,
              "the replies of a cycle find a spare record each");

namespace {

// The record the next datagram is decoded into: one that a datagram was
// refused into, or that the queue gave back (a spare, the waiting record a
// newer reply of the same converter replaced, or the record itself when the
// queue was full), is used again; a record is made anew only when the queue
// has no spare left.
class RecordSource {
public:
    explicit RecordSource(const DiscoveryContext* context) : context_(context) {}
    ~RecordSource() { context_->replyQueue->Spare(spare_); }
    RecordSource(const RecordSource&) = delete;
    RecordSource& operator=(const RecordSource&) = delete;

    // A freshly reset record, or null when memory is exhausted.
    DeviceRecord* Take()
    {
        DeviceRecord* record = spare_ != nullptr ? spare_ : context_->replyQueue->TakeSpare();
        spare_ = nullptr;
        if (record == nullptr)
            return NewDeviceRecord(context_);
        ResetDeviceRecord(context_, record);
        return record;
    }
    // Keeps one record for the next Take; the queue keeps any other.
    void GiveBack(DeviceRecord* record)
    {
        if (spare_ == nullptr)
            spare_ = record;
        else
            context_->replyQueue->Spare(record);
    }

private:
    const DiscoveryContext* context_;
    DeviceRecord* spare_ = nullptr;
};

}  // namespace

std::size_t DrainSocket(DiscoveryContext* context, platform::SocketHandle socket,
                        std::uint32_t localAddress, ReceiveBatch& batch)
{
    RecordSource records(context);
    std::size_t accepted = 0;
    std::size_t read = 0;
    const auto bound = static_cast<std::size_t>(kMaxDatagramsPerDrain);
    while (read < bound) {
        const std::size_t asked = std::min(ReceiveBatch::kSize, bound - read);
        const std::size_t received = platform::ReceiveDatagrams(socket, batch.Slots(), asked);
        read += received;
        for (std::size_t i = 0; i < received; ++i) {
            platform::DatagramSlot& slot = batch.Slots()[i];
            if (slot.truncated)
                continue;  // a datagram cut to fit is no reply
            DeviceRecord* record = records.Take();
            // No memory: the datagrams of this batch are lost, as the kernel
            // would lose them in a full buffer; the rest wait for the next cycle.
            if (record == nullptr)
                return accepted;
            if (!AcceptReply(context, slot.buffer, slot.size, slot.capacity, localAddress,
                             kDiscoveryReply, BroadcastMac, record)) {
                records.GiveBack(record);
                continue;
            }
            record->sourceAddress = slot.source;
            ++accepted;
            if (DeviceRecord* back = context->replyQueue->Offer(record))
                records.GiveBack(back);
        }
        // A short batch means the socket is empty.
        if (received < asked)
            break;
    }
    return accepted;
}

}  // namespace ql5
