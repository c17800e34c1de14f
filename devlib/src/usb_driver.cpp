#include "usb_driver.h"

#include <libusb.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

#include "card_protocol.h"
#include "deadline.h"
#include "driver_choice.h"
#include "instance_path.h"

namespace dqx7460 {
namespace {

constexpr int kCardInterface = 0;
constexpr std::size_t kPipeOut = 0;
constexpr std::size_t kPipeIn = 1;
// USB 3 allows seven hubs between the root and a device.
constexpr int kMaxPortDepth = 7;
constexpr unsigned kRequestTypeShift = 5;
constexpr std::uint8_t kRequestTypeBits = 0x3;
constexpr std::uint8_t kRecipientBits = 0x1F;

std::mutex g_idsFileMutex;
std::string g_idsFile = kUsbIdsFile;

bool IsHexEntry(const std::string& entry) {
    auto hex = [&](std::size_t from, std::size_t to) {
        return std::all_of(entry.begin() + from, entry.begin() + to,
                           [](unsigned char c) { return std::isxdigit(c) != 0; });
    };
    return entry.size() == 9 && entry[4] == ':' && hex(0, 4) && hex(5, 9);
}

struct Endpoint {
    std::uint8_t address;
    std::uint8_t attributes;
};

bool IsBulk(const Endpoint& endpoint, bool in) {
    const bool bulk =
        (endpoint.attributes & LIBUSB_TRANSFER_TYPE_MASK) == LIBUSB_TRANSFER_TYPE_BULK;
    const bool isIn = (endpoint.address & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN;
    return bulk && isIn == in;
}

// One open card: the claimed device and its interface's endpoints in descriptor order.
struct Link {
    libusb_device_handle* device;
    std::vector<Endpoint> pipes;
    unsigned timeoutMs;
    bool broken = false;
};

// A configured device on the bus, where it sits.
struct Candidate {
    libusb_device* device;
    std::uint8_t bus;
    std::vector<std::uint8_t> ports;
    UsbId id;
};

std::string Describe(const Candidate& candidate) {
    char id[10];
    std::snprintf(id, sizeof id, "%04x:%04x", candidate.id.vendor, candidate.id.product);
    std::string text =
        "USB device " + std::string(id) + " on bus " + std::to_string(candidate.bus) + " port ";
    for (std::size_t i = 0; i < candidate.ports.size(); ++i) {
        if (i > 0) text += '.';
        text += std::to_string(candidate.ports[i]);
    }
    return text;
}

// The process's one libusb context, made when a device is first looked for.
libusb_context* Context() {
    static libusb_context* context = [] {
        libusb_context* made = nullptr;
        int result = libusb_init(&made);
        if (result != 0) {
            ReportDriverProblem(std::string("libusb cannot start: ") + libusb_strerror(result));
            return static_cast<libusb_context*>(nullptr);
        }
        return made;
    }();
    return context;
}

// The configured devices in instance order: by bus, then by port path.
std::vector<Candidate> ConfiguredDevices(libusb_device* const* list,
                                         const std::vector<UsbId>& ids) {
    std::vector<Candidate> found;
    for (; *list != nullptr; ++list) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(*list, &descriptor) != 0) continue;
        const UsbId id{descriptor.idVendor, descriptor.idProduct};
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) continue;
        std::uint8_t ports[kMaxPortDepth];
        int depth = libusb_get_port_numbers(*list, ports, kMaxPortDepth);
        if (depth < 0) continue;
        found.push_back({*list, libusb_get_bus_number(*list), {ports, ports + depth}, id});
    }
    std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
        return a.bus != b.bus ? a.bus < b.bus : a.ports < b.ports;
    });
    return found;
}

// The endpoints of interface 0 as the active configuration describes them; read from the
// descriptors the system already holds, without opening the device.
bool InterfaceEndpoints(libusb_device* device, std::vector<Endpoint>* endpoints) {
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != 0) return false;
    bool found = false;
    for (int i = 0; i < config->bNumInterfaces && !found; ++i) {
        const libusb_interface& interface = config->interface[i];
        if (interface.num_altsetting < 1) continue;
        const libusb_interface_descriptor& setting = interface.altsetting[0];
        if (setting.bInterfaceNumber != kCardInterface) continue;
        found = true;
        for (int e = 0; e < setting.bNumEndpoints; ++e) {
            endpoints->push_back(
                {setting.endpoint[e].bEndpointAddress, setting.endpoint[e].bmAttributes});
        }
    }
    libusb_free_config_descriptor(config);
    return found;
}

Link* OpenCandidate(const Candidate& candidate) {
    std::vector<Endpoint> endpoints;
    if (!InterfaceEndpoints(candidate.device, &endpoints) || endpoints.size() <= kPipeIn ||
        !IsBulk(endpoints[kPipeOut], false) || !IsBulk(endpoints[kPipeIn], true)) {
        ReportDriverProblem(Describe(candidate) +
                            " is not opened: its interface 0 does not begin with a bulk OUT "
                            "and a bulk IN endpoint");
        return nullptr;
    }
    libusb_device_handle* device = nullptr;
    int result = libusb_open(candidate.device, &device);
    if (result != 0) {
        ReportDriverProblem("cannot open " + Describe(candidate) + ": " + libusb_strerror(result));
        return nullptr;
    }
    // Not every platform can detach kernel drivers; the claim reports what matters.
    libusb_set_auto_detach_kernel_driver(device, 1);
    result = libusb_claim_interface(device, kCardInterface);
    if (result != 0) {
        ReportDriverProblem("cannot claim interface 0 of " + Describe(candidate) + ": " +
                            libusb_strerror(result));
        libusb_close(device);
        return nullptr;
    }
    return new Link{device, std::move(endpoints), static_cast<unsigned>(UsbTimeout().count())};
}

// The endpoint named by a bulk transfer's 4-byte pipe number, when it has the direction
// and type the transfer needs.
const Endpoint* PipeFor(const Link& link, const void* in, std::uint32_t inLen, bool deviceToHost) {
    if (inLen != kPipeNumberBytes || in == nullptr) return nullptr;
    const std::uint32_t pipe = ReadLe32(static_cast<const std::uint8_t*>(in));
    if (pipe >= link.pipes.size() || !IsBulk(link.pipes[pipe], deviceToHost)) return nullptr;
    return &link.pipes[pipe];
}

class LibusbDriver : public Driver {
  public:
    HANDLE Open(int instance) override {
        if (instance < 0 || instance >= kInstanceCount) return nullptr;
        const std::vector<UsbId> ids = ConfiguredUsbIds();
        if (ids.empty()) return nullptr;
        libusb_context* context = Context();
        if (context == nullptr) return nullptr;
        libusb_device** list = nullptr;
        if (libusb_get_device_list(context, &list) < 0) return nullptr;
        const std::vector<Candidate> devices = ConfiguredDevices(list, ids);
        Link* link = static_cast<std::size_t>(instance) < devices.size()
                         ? OpenCandidate(devices[static_cast<std::size_t>(instance)])
                         : nullptr;
        libusb_free_device_list(list, 1);
        return link;
    }

    void Close(HANDLE handle) override {
        auto* link = static_cast<Link*>(handle);
        if (link == nullptr) return;
        // Releasing re-attaches the kernel driver that the claim detached.
        libusb_release_interface(link->device, kCardInterface);
        libusb_close(link->device);
        delete link;
    }

    bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override {
        if (returned != nullptr) *returned = 0;
        auto* link = static_cast<Link*>(handle);
        if (link == nullptr || link->broken || (outLen > 0 && out == nullptr) || outLen > INT_MAX) {
            return false;
        }
        auto* data = static_cast<unsigned char*>(out);
        int transferred = 0;
        int result = 0;
        const unsigned timeoutMs = TransferTimeoutMs(std::chrono::milliseconds(link->timeoutMs),
                                                     RequestDeadline() - Clock::now());
        if (code == kIoctlVendorRequest) {
            const auto* setup = static_cast<const std::uint8_t*>(in);
            if (inLen != kVendorRequestBytes || setup == nullptr ||
                setup[kVendorOffsetDirection] != kVendorDirectionHostToDevice ||
                outLen > UINT16_MAX) {
                return false;
            }
            const auto requestType = static_cast<std::uint8_t>(
                LIBUSB_ENDPOINT_OUT |
                (setup[kVendorOffsetType] & kRequestTypeBits) << kRequestTypeShift |
                (setup[kVendorOffsetRecipient] & kRecipientBits));
            result = libusb_control_transfer(link->device, requestType, setup[kVendorOffsetRequest],
                                             ReadLe16(setup + kVendorOffsetValue),
                                             ReadLe16(setup + kVendorOffsetIndex), data,
                                             static_cast<std::uint16_t>(outLen), timeoutMs);
            transferred = std::max(result, 0);
            if (result > 0) result = 0;
        } else if (code == kIoctlBulkWrite || code == kIoctlBulkRead) {
            const Endpoint* pipe = PipeFor(*link, in, inLen, code == kIoctlBulkRead);
            if (pipe == nullptr) return false;
            result = libusb_bulk_transfer(link->device, pipe->address, data,
                                          static_cast<int>(outLen), &transferred, timeoutMs);
        } else {
            return false;
        }
        if (returned != nullptr) *returned = static_cast<std::uint32_t>(transferred);
        // A transfer that went wrong or came up short leaves the card in an unknown state.
        if (result != 0 || static_cast<std::uint32_t>(transferred) != outLen) {
            link->broken = true;
            return false;
        }
        return true;
    }
};

}  // namespace

bool ParseUsbIds(const std::string& text, std::vector<UsbId>* ids, std::string* bad) {
    std::vector<UsbId> parsed;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        line = line.substr(0, line.find('#'));
        std::replace(line.begin(), line.end(), ',', ' ');
        std::istringstream entries(line);
        std::string entry;
        while (entries >> entry) {
            if (!IsHexEntry(entry)) {
                if (bad != nullptr) *bad = entry;
                return false;
            }
            parsed.push_back(
                {static_cast<std::uint16_t>(std::stoul(entry.substr(0, 4), nullptr, 16)),
                 static_cast<std::uint16_t>(std::stoul(entry.substr(5), nullptr, 16))});
        }
    }
    *ids = std::move(parsed);
    return true;
}

std::vector<UsbId> ConfiguredUsbIds() {
    std::string file;
    {
        std::lock_guard<std::mutex> lock(g_idsFileMutex);
        file = g_idsFile;
    }
    std::string text;
    std::string source = "DQX7460_USB_IDS";
    const char* fromEnvironment = std::getenv(source.c_str());
    if (fromEnvironment != nullptr && fromEnvironment[0] != '\0') {
        text = fromEnvironment;
    } else {
        source = file;
        std::ifstream stream(file);
        text.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    }
    std::vector<UsbId> ids;
    std::string bad;
    if (!ParseUsbIds(text, &ids, &bad)) {
        ReportDriverProblem(source + ": \"" + bad +
                            "\" is not a USB vendor:product id (vvvv:pppp, hexadecimal); the "
                            "USB driver opens no device");
        return {};
    }
    if (ids.empty()) {
        ReportDriverProblem(
            "no card for the USB driver to look for: list its vendor:product id "
            "in DQX7460_USB_IDS or " +
            file + " (the socket driver found no EZUSB-* socket in " + InstanceFolder() + ")");
    }
    return ids;
}

void SetUsbIdsFile(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_idsFileMutex);
    g_idsFile = path;
}

unsigned TransferTimeoutMs(std::chrono::milliseconds configured,
                           std::chrono::steady_clock::duration left) {
    const auto leftMs = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    const auto capped = std::min<long long>(configured.count(), leftMs);
    return static_cast<unsigned>(std::max<long long>(capped, 1));
}

std::chrono::milliseconds UsbTimeout() {
    const char* text = std::getenv("DQX7460_USB_TIMEOUT_MS");
    if (text == nullptr || text[0] == '\0') return kDefaultUsbTimeout;
    char* end = nullptr;
    const long long ms = std::strtoll(text, &end, 10);
    if (*end != '\0' || ms < 1 || ms > kLongestUsbTimeout.count()) {
        ReportDriverProblem("DQX7460_USB_TIMEOUT_MS=" + std::string(text) +
                            " is not a number of milliseconds from 1 to " +
                            std::to_string(kLongestUsbTimeout.count()) + "; using " +
                            std::to_string(kDefaultUsbTimeout.count()));
        return kDefaultUsbTimeout;
    }
    return std::chrono::milliseconds(ms);
}

Driver& UsbDriver() {
    static LibusbDriver driver;
    return driver;
}

}  // namespace dqx7460
