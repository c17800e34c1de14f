#include "fake_libusb.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "card_protocol.h"
#include "driver.h"

struct libusb_context {
    int unused;
};
struct libusb_device {
    int number;
};
struct libusb_device_handle {
    int device;
    bool autoDetach;
    bool claimed;
};

namespace {

using fake_usb::Call;
using fake_usb::Fault;

struct BusDevice {
    fake_usb::Device spec;
    libusb_device identity;
    bool plugged = true;
    bool kernelDriver = true;
    int transfers = 0;
    std::map<int, Fault> faults;
};

// A configuration descriptor with interface 0 and its endpoints, kept until it is freed.
struct Config {
    libusb_config_descriptor config{};
    libusb_interface interface {};
    libusb_interface_descriptor setting{};
    std::vector<libusb_endpoint_descriptor> endpoints;
};

std::mutex g_mutex;
std::deque<BusDevice> g_bus;
std::vector<Call> g_calls;
std::map<const libusb_config_descriptor*, std::unique_ptr<Config>> g_configs;
int g_lists = 0;
int g_handles = 0;
libusb_context g_context{};

Call Make(Call::Kind kind, int device) {
    Call call;
    call.kind = kind;
    call.device = device;
    return call;
}

void Record(const Call& call) {
    g_calls.push_back(call);
}

// Runs one transfer against the device's faults and card; the mutex is held.
int Transfer(libusb_device_handle* handle, Call call, unsigned char* data, int length,
             int* transferred) {
    BusDevice& device = g_bus[static_cast<std::size_t>(handle->device)];
    *transferred = 0;
    const int index = device.transfers++;
    const bool in = call.kind == Call::kControl ? (call.requestType & LIBUSB_ENDPOINT_IN) != 0
                                                : (call.endpoint & LIBUSB_ENDPOINT_IN) != 0;
    auto fault = device.faults.find(index);
    int result = 0;
    bool halve = false;
    if (!device.plugged) {
        result = LIBUSB_ERROR_NO_DEVICE;
    } else if (fault != device.faults.end() && fault->second != Fault::kShort) {
        switch (fault->second) {
            case Fault::kTimeout:
                result = LIBUSB_ERROR_TIMEOUT;
                break;
            case Fault::kStall:
                result = LIBUSB_ERROR_PIPE;
                break;
            case Fault::kOverflow:
                result = LIBUSB_ERROR_OVERFLOW;
                break;
            default:
                device.plugged = false;
                device.kernelDriver = false;
                result = LIBUSB_ERROR_NO_DEVICE;
                break;
        }
    } else if (device.spec.card == nullptr || (call.kind == Call::kControl && in)) {
        // The card takes host-to-device control transfers only.
        result = LIBUSB_ERROR_PIPE;
    } else {
        halve = fault != device.faults.end();
        std::uint32_t returned = 0;
        if (call.kind == Call::kControl) {
            std::uint8_t setup[dqx7460::kVendorRequestBytes] = {};
            setup[dqx7460::kVendorOffsetDirection] = call.requestType >> 7;
            setup[dqx7460::kVendorOffsetType] = (call.requestType >> 5) & 0x3;
            setup[dqx7460::kVendorOffsetRecipient] = call.requestType & 0x1F;
            setup[dqx7460::kVendorOffsetRequest] = call.request;
            dqx7460::WriteLe16(setup + dqx7460::kVendorOffsetValue, call.value);
            dqx7460::WriteLe16(setup + dqx7460::kVendorOffsetIndex, call.index);
            result = device.spec.card->Control(dqx7460::kIoctlVendorRequest, setup, sizeof setup,
                                               data, static_cast<std::uint32_t>(length), &returned)
                         ? 0
                         : LIBUSB_ERROR_PIPE;
            returned = static_cast<std::uint32_t>(length);
        } else {
            std::size_t pipe = 0;
            while (pipe < device.spec.endpoints.size() &&
                   device.spec.endpoints[pipe].address != call.endpoint) {
                ++pipe;
            }
            if (pipe == device.spec.endpoints.size() || !handle->claimed) {
                result = LIBUSB_ERROR_NOT_FOUND;
            } else {
                std::uint8_t pipeBytes[dqx7460::kPipeNumberBytes];
                dqx7460::WriteLe32(pipeBytes, static_cast<std::uint32_t>(pipe));
                const std::uint32_t code = in ? dqx7460::kIoctlBulkRead : dqx7460::kIoctlBulkWrite;
                const bool ok =
                    device.spec.card->Control(code, pipeBytes, sizeof pipeBytes, data,
                                              static_cast<std::uint32_t>(length), &returned);
                // A stalled OUT endpoint refuses; an IN endpoint with nothing to send NAKs
                // until the host gives up.
                result = ok ? 0 : in ? LIBUSB_ERROR_TIMEOUT : LIBUSB_ERROR_PIPE;
                if (!in && ok) returned = static_cast<std::uint32_t>(length);
            }
        }
        if (result == 0) *transferred = static_cast<int>(halve ? returned / 2 : returned);
    }
    call.result = result;
    if (data != nullptr && length > 0) {
        const int shown = in ? *transferred : length;
        call.data.assign(data, data + shown);
    }
    Record(call);
    return result;
}

}  // namespace

namespace fake_usb {

void Reset() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_bus.clear();
    g_calls.clear();
    g_configs.clear();
    g_lists = 0;
    g_handles = 0;
}

int Plug(const Device& device) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const int number = static_cast<int>(g_bus.size());
    BusDevice plugged;
    plugged.spec = device;
    plugged.identity.number = number;
    g_bus.push_back(plugged);
    return number;
}

void InjectFault(int device, int transfersBefore, Fault fault) {
    std::lock_guard<std::mutex> lock(g_mutex);
    BusDevice& target = g_bus[static_cast<std::size_t>(device)];
    target.faults[target.transfers + transfersBefore] = fault;
}

std::vector<Call> Calls() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_calls;
}

bool KernelDriverBound(int device) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_bus[static_cast<std::size_t>(device)].kernelDriver;
}

int Outstanding() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_lists + static_cast<int>(g_configs.size()) + g_handles;
}

}  // namespace fake_usb

extern "C" {

int libusb_init(libusb_context** context) {
    *context = &g_context;
    return 0;
}

const char* libusb_strerror(int) {
    return "fake libusb error";
}

ssize_t libusb_get_device_list(libusb_context*, libusb_device*** list) {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::vector<libusb_device*> plugged;
    for (BusDevice& device : g_bus) {
        if (device.plugged) plugged.push_back(&device.identity);
    }
    *list = new libusb_device*[plugged.size() + 1];
    std::copy(plugged.begin(), plugged.end(), *list);
    (*list)[plugged.size()] = nullptr;
    ++g_lists;
    return static_cast<ssize_t>(plugged.size());
}

void libusb_free_device_list(libusb_device** list, int) {
    std::lock_guard<std::mutex> lock(g_mutex);
    delete[] list;
    --g_lists;
}

int libusb_get_device_descriptor(libusb_device* device, libusb_device_descriptor* descriptor) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const fake_usb::Device& spec = g_bus[static_cast<std::size_t>(device->number)].spec;
    *descriptor = {};
    descriptor->bLength = LIBUSB_DT_DEVICE_SIZE;
    descriptor->bDescriptorType = LIBUSB_DT_DEVICE;
    descriptor->idVendor = spec.vendor;
    descriptor->idProduct = spec.product;
    descriptor->bNumConfigurations = 1;
    return 0;
}

uint8_t libusb_get_bus_number(libusb_device* device) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_bus[static_cast<std::size_t>(device->number)].spec.bus;
}

int libusb_get_port_numbers(libusb_device* device, uint8_t* ports, int length) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const std::vector<std::uint8_t>& path =
        g_bus[static_cast<std::size_t>(device->number)].spec.ports;
    if (static_cast<int>(path.size()) > length) return LIBUSB_ERROR_OVERFLOW;
    std::copy(path.begin(), path.end(), ports);
    return static_cast<int>(path.size());
}

int libusb_get_active_config_descriptor(libusb_device* device, libusb_config_descriptor** config) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const fake_usb::Device& spec = g_bus[static_cast<std::size_t>(device->number)].spec;
    auto made = std::make_unique<Config>();
    for (const fake_usb::Endpoint& endpoint : spec.endpoints) {
        libusb_endpoint_descriptor descriptor{};
        descriptor.bLength = LIBUSB_DT_ENDPOINT_SIZE;
        descriptor.bDescriptorType = LIBUSB_DT_ENDPOINT;
        descriptor.bEndpointAddress = endpoint.address;
        descriptor.bmAttributes = endpoint.attributes;
        descriptor.wMaxPacketSize = 512;
        made->endpoints.push_back(descriptor);
    }
    made->setting.bInterfaceNumber = 0;
    made->setting.bNumEndpoints = static_cast<uint8_t>(made->endpoints.size());
    made->setting.endpoint = made->endpoints.data();
    made->interface.altsetting = &made->setting;
    made->interface.num_altsetting = 1;
    made->config.bNumInterfaces = 1;
    made->config.interface = &made->interface;
    *config = &made->config;
    g_configs[*config] = std::move(made);
    return 0;
}

void libusb_free_config_descriptor(libusb_config_descriptor* config) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_configs.erase(config);
}

int libusb_open(libusb_device* device, libusb_device_handle** handle) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Call call = Make(Call::kOpen, device->number);
    if (!g_bus[static_cast<std::size_t>(device->number)].plugged) {
        call.result = LIBUSB_ERROR_NO_DEVICE;
        Record(call);
        return call.result;
    }
    Record(call);
    *handle = new libusb_device_handle{device->number, false, false};
    ++g_handles;
    return 0;
}

void libusb_close(libusb_device_handle* handle) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Record(Make(Call::kClose, handle->device));
    delete handle;
    --g_handles;
}

int libusb_set_auto_detach_kernel_driver(libusb_device_handle* handle, int enable) {
    std::lock_guard<std::mutex> lock(g_mutex);
    handle->autoDetach = enable != 0;
    return 0;
}

int libusb_claim_interface(libusb_device_handle* handle, int interface) {
    std::lock_guard<std::mutex> lock(g_mutex);
    BusDevice& device = g_bus[static_cast<std::size_t>(handle->device)];
    Call call = Make(Call::kClaim, handle->device);
    if (interface != 0) {
        call.result = LIBUSB_ERROR_NOT_FOUND;
    } else if (!device.plugged) {
        call.result = LIBUSB_ERROR_NO_DEVICE;
    } else if (device.kernelDriver && !handle->autoDetach) {
        call.result = LIBUSB_ERROR_BUSY;
    } else {
        device.kernelDriver = false;
        handle->claimed = true;
    }
    Record(call);
    return call.result;
}

int libusb_release_interface(libusb_device_handle* handle, int interface) {
    std::lock_guard<std::mutex> lock(g_mutex);
    BusDevice& device = g_bus[static_cast<std::size_t>(handle->device)];
    Call call = Make(Call::kRelease, handle->device);
    if (interface != 0 || !handle->claimed) {
        call.result = LIBUSB_ERROR_NOT_FOUND;
    } else if (!device.plugged) {
        call.result = LIBUSB_ERROR_NO_DEVICE;
    } else {
        handle->claimed = false;
        device.kernelDriver = handle->autoDetach;
    }
    Record(call);
    return call.result;
}

int libusb_control_transfer(libusb_device_handle* handle, uint8_t requestType, uint8_t request,
                            uint16_t value, uint16_t index, unsigned char* data, uint16_t length,
                            unsigned int timeout) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Call call = Make(Call::kControl, handle->device);
    call.requestType = requestType;
    call.request = request;
    call.value = value;
    call.index = index;
    call.timeout = timeout;
    int transferred = 0;
    int result = Transfer(handle, call, data, length, &transferred);
    return result == 0 ? transferred : result;
}

int libusb_bulk_transfer(libusb_device_handle* handle, unsigned char endpoint, unsigned char* data,
                         int length, int* transferred, unsigned int timeout) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Call call = Make(Call::kBulk, handle->device);
    call.endpoint = endpoint;
    call.timeout = timeout;
    return Transfer(handle, call, data, length, transferred);
}

}  // extern "C"
