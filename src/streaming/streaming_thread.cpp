// StreamingThread: the thread inside rtlsdr_read_async and its block callback.
#include "streaming/streaming_thread.h"

namespace varnock {

StreamingThread::~StreamingThread()
{
    requestStop();
    join();
}

bool StreamingThread::start(const RtlSdrApi& api, rtlsdr_dev_t* device, SampleBuffers& buffers)
{
    if (thread_.joinable() || api.read_async == nullptr || api.cancel_async == nullptr)
        return false;
    api_ = &api;
    device_ = device;
    buffers_ = &buffers;
    cancelled_ = false;
    stopRequested_.store(false, std::memory_order_release);
    running_.store(true, std::memory_order_release);
    thread_ = std::thread(&StreamingThread::run, this);
    return true;
}

void StreamingThread::join()
{
    if (thread_.joinable())
        thread_.join();
}

void StreamingThread::run()
{
    // Returns after cancel_async or a device failure; either way the thread is done.
    (void)api_->read_async(device_, &StreamingThread::callback, this, 0,
                           static_cast<uint32_t>(SampleBuffers::kBlockBytes));
    running_.store(false, std::memory_order_release);
}

void StreamingThread::callback(unsigned char* buf, uint32_t len, void* ctx)
{
    auto* self = static_cast<StreamingThread*>(ctx);
    // Transfers already in flight may still be delivered after the cancel; they are not wanted.
    if (self->cancelled_)
        return;
    self->buffers_->onBlock(buf, len);
    if (self->stopRequested()) {
        self->cancelled_ = true;
        self->api_->cancel_async(self->device_);
    }
}

} // namespace varnock
