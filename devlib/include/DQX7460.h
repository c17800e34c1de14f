/*
 * DQX7460 USB data-acquisition card: the device library's flat C interface.
 *
 * Every operation is a fixed sequence of card register writes and read-back blocks sent
 * through the driver. On Linux the driver is chosen at every DQX7460_DeviceOpen:
 * DQX7460_DRIVER=socket (the driver instance sockets EZUSB-<d> in $DQX7460_DRIVER_DIR, see
 * the README) or DQX7460_DRIVER=usb (libusb-1.0); when it is not set, the sockets if the
 * instance folder holds an EZUSB-* socket, else USB. The USB driver opens only devices
 * whose vendor:product id is listed in DQX7460_USB_IDS ("vvvv:pppp,..." hexadecimal) or,
 * when that is not set, in /etc/dqx7460/usb-ids; instances are those devices ordered by
 * bus and port path; every transfer times out after DQX7460_USB_TIMEOUT_MS (default 3000).
 * A failed transfer leaves the handle good only for DQX7460_DeviceClose. Configuration
 * problems are written once to stderr, not through the message hook.
 * Result codes: 0 success, 1 failure; operations documented as "returns 0" return 0
 * whatever the card does. The library keeps no state between calls besides what the card
 * holds: the handle is the whole device. Callers serialise the use of one handle.
 *
 * No operation waits forever, and data from a failed read is never delivered:
 * - Each driver request has one deadline of 3 s, however the card paces its reply, and
 *   every request of one operation shares the operation's deadline: 2 s (DQX7460_ADReadData2
 *   10 s; DQX7460_DaDataSet 2 s plus 2 ms per sample). Once it has passed, the rest of the
 *   operation's requests fail without being sent; a request still waiting then fails and
 *   leaves the handle good only for closing, like any request the card did not answer.
 * - A bulk read that delivers fewer bytes than asked is a failed read.
 * - The single scans (DQX7460_MAIVoltageIn, DQX7460_MAIBinaryIn, DQX7460_AIVoltageIn) read
 *   at most 64 blocks of 1024 sample words; when the listed channels have not all arrived
 *   by then, or a block cannot be read, they still select source 0 and stop the A/D, and
 *   return 1. DQX7460_AIBinaryIn2 reads at most five blocks and returns 1 without them.
 * - DQX7460_ADReadData2 gives up after 1024 blocks without the trigger (about four seconds
 *   of stream at 250 kHz) or at the first block that cannot be read: it stops the A/D,
 *   leaves the caller's data untouched and returns 1. Sub-mode 0 with n = 0 returns 1 and
 *   sends nothing. Pre-trigger entries never filled by the stream are 0.
 * - DQX7460_ReadBackCount2 and DQX7460_ReadBackCount read at most 64 blocks looking for the
 *   counter frame; without one they select source 0 and return 1, outputs untouched.
 * - DQX7460_DioReadWord2, DQX7460_DioReadWord, DQX7460_DIOInput and DQX7460_AIBinaryIn
 *   write their outputs only when the read succeeded; DQX7460_DeviceOpen never takes an
 *   instance whose device-number read failed for a match.
 * - DQX7460_DaDataFileSet returns 1 and writes nothing when "Da_Data_file.dat" is missing;
 *   a shorter file loads what it holds followed by zeros.
 * - Null record or buffer pointers where data must go send nothing and return 1: the
 *   single scans (a null Results with a ChannelCount above 0), DQX7460_AIVoltageIn,
 *   DQX7460_AIBinaryIn2, DQX7460_AIBinaryIn, the read-backs of inputs and counters (any of
 *   the four counter outputs null). DQX7460_GetAdVol, which talks to no card, returns 0.
 * Values the library chooses: range codes (also above 7) and every WORD field are sent as
 * given, LONG fields as their low 16 bits. The records that DQX7460_AIConfig2,
 * DQX7460_AIVoltageIn and DQX7460_AIBinaryIn2 build hold zeros wherever no argument fills
 * them (other channels' range codes, list entries past the count, register-7 fields).
 * A ChannelCount above 32 is sent to register 85 as given; the scan list stops at 32.
 */
#ifndef DQX7460_H
#define DQX7460_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The Windows types, declared exactly as windows.h declares them, so that this header and
 * windows.h may be included in either order. */
#ifdef _WIN32
#ifndef _WINNT_
typedef void* HANDLE;
typedef long LONG;
#endif
#if !defined(_MINWINDEF_) && !defined(_WINDEF_)
typedef unsigned short WORD;
typedef unsigned long ULONG;
#endif
#else
typedef void* HANDLE;
typedef uint16_t WORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
#endif

/* The 46 operations use the stdcall convention on 32-bit Windows: the callee removes its
 * arguments. */
#if defined(_WIN32) && !defined(_WIN64)
#define DQX7460_CALL __stdcall
#else
#define DQX7460_CALL
#endif

/* Scan configuration: ranges per physical channel, polarity, scan mode and scan list. */
typedef struct AdScanConfig {
    WORD RangeCode[32]; /* range code of physical channel 0..31, indexed by channel */
    LONG Reg4Value;     /* low 16 bits go to register 4 */
    LONG Bipolar;       /* 1: bipolar ranges (codes 0..3); otherwise unipolar (4..6) */
    WORD Reg7Mode;      /* 0..3: low two bits of register 7 (mode 1 writes 0) */
    LONG Reg7Bit2;      /* bit 0 becomes bit 2 of register 7 */
    LONG Reg7Bit3;      /* bit 0 becomes bit 3 of register 7 */
    WORD Reg10Value;    /* written to register 10 */
    WORD ChannelList[32]; /* physical channels in scan order */
    WORD ChannelCount;  /* 0..32 */
} AdScanConfig;

/* A single scan: element i of Results belongs to ChannelList[i]. Results points to
 * ChannelCount doubles for DQX7460_MAIVoltageIn and ChannelCount WORDs for
 * DQX7460_MAIBinaryIn. For DQX7460_AIBinaryIn it points to a caller buffer of
 * DQX7460_AI_BINARY_BYTES bytes that receives bytes 4000..4095 of the block read. */
typedef struct AdScanRequest {
    AdScanConfig Config;
    void* Results;
} AdScanRequest;

#define DQX7460_AI_BINARY_BYTES 96

/* One sample of one channel 0..31 (DQX7460_AIVoltageIn); other channels return 1. */
typedef struct AiPointRequest {
    WORD Channel;
    WORD RangeCode;
    LONG Bipolar;
    LONG Reg4Value;
    LONG Unused;
    float* Result;
} AiPointRequest;

/* DQX7460_MAIConfig: *Source is written to the read-back source register. */
typedef struct ReadSourceRecord {
    LONG Unused;
    WORD* Source;
} ReadSourceRecord;

typedef struct FeatureBlock {
    WORD Slot[10];
} FeatureBlock;

/* DQX7460_DeviceGetFeatures fills *Block (slots 0, 1, 6..9) and sets Word to 942. */
typedef struct FeatureQuery {
    FeatureBlock* Block;
    WORD Word;
} FeatureQuery;

/* DQX7460_DioWriteWord sends OutputValue. DQX7460_DioReadWord stores the input word
 * itself (not a location) in Result, so it stays valid after the call. */
typedef struct DioWordRecord {
    WORD Unused;
    WORD OutputValue;
    uintptr_t Result;
} DioWordRecord;

typedef struct CounterConfig {
    WORD Mode;
    LONG Flag;
    WORD Select;
    ULONG Count1;
    ULONG Count2;
} CounterConfig;

/* Device handles */
LONG DQX7460_CALL DQX7460_DeviceOpen(ULONG deviceNumber, HANDLE* handle);
LONG DQX7460_CALL DQX7460_DeviceClose(HANDLE handle);
LONG DQX7460_CALL DQX7460_Reset(HANDLE handle);
LONG DQX7460_CALL DQX7460_LEDTest(HANDLE handle, WORD value);
LONG DQX7460_CALL DQX7460_DeviceGetFeatures(HANDLE handle, FeatureQuery* query);
LONG DQX7460_CALL DQX7460_SelectDevice(LONG unused1, LONG unused2);
LONG DQX7460_CALL DQX7460_DeviceConfig(HANDLE handle, void* window);
LONG DQX7460_CALL DQX7460_GetErrorMessage(LONG unused1, LONG unused2);

/* Analog input */
LONG DQX7460_CALL DQX7460_AIConfig(HANDLE handle, AdScanConfig config);
LONG DQX7460_CALL DQX7460_AIConfig2(HANDLE handle, WORD rangeCode, WORD reg4Value, WORD bipolar,
                                    WORD reg7Mode, WORD reg7Bit2, WORD reg7Bit3, WORD reg10Value,
                                    WORD firstChannel, WORD channelCount);
LONG DQX7460_CALL DQX7460_MAIVoltageIn(HANDLE handle, AdScanRequest* request);
LONG DQX7460_CALL DQX7460_MAIBinaryIn(HANDLE handle, AdScanRequest* request);
LONG DQX7460_CALL DQX7460_AIVoltageIn(HANDLE handle, AiPointRequest* request);
/* The range code applies to the sampled channel (0..31) and is also written to range slot 0;
 * on success the A/D keeps running. */
LONG DQX7460_CALL DQX7460_AIBinaryIn2(HANDLE handle, LONG reg4Value, LONG bipolar, WORD channel,
                                      WORD rangeCode, WORD* code);
LONG DQX7460_CALL DQX7460_AIBinaryIn(HANDLE handle, AdScanRequest* request);
LONG DQX7460_CALL DQX7460_GetAdVol(float* volts, WORD channel, ULONG* buffer);
LONG DQX7460_CALL DQX7460_MAIConfig(HANDLE handle, ReadSourceRecord* record);

/* Buffered A/D acquisition */
LONG DQX7460_CALL DQX7460_StartAd(HANDLE handle);
LONG DQX7460_CALL DQX7460_StopAd(HANDLE handle);
LONG DQX7460_CALL DQX7460_FifoClear(HANDLE handle);
LONG DQX7460_CALL DQX7460_SoftTrig(HANDLE handle);
LONG DQX7460_CALL DQX7460_ADReadData(HANDLE handle, ULONG** buffer, WORD wordCount);
LONG DQX7460_CALL DQX7460_ADReadData2(HANDLE handle, ULONG* data, WORD count, WORD triggerMode,
                                      WORD subMode, WORD n);

/* Analog output, channels 1..4 */
LONG DQX7460_CALL DQX7460_DaConfig(HANDLE handle, WORD channel, WORD range);
LONG DQX7460_CALL DQX7460_DaModeSet(HANDLE handle, WORD channel, WORD mode);
LONG DQX7460_CALL DQX7460_AOBinaryOut(HANDLE handle, WORD channel, WORD value);
LONG DQX7460_CALL DQX7460_DaOutSet(HANDLE handle, WORD channel, LONG enable);
LONG DQX7460_CALL DQX7460_DaDataSet(HANDLE handle, WORD channel, WORD* data, WORD count);
LONG DQX7460_CALL DQX7460_DaStart(HANDLE handle);
LONG DQX7460_CALL DQX7460_DaDataFileSet(HANDLE handle, LONG unused);
LONG DQX7460_CALL DQX7460_FAOIntScanStart(LONG unused1, LONG unused2);
LONG DQX7460_CALL DQX7460_FAOStop(LONG unused);

/* Digital I/O and counters */
LONG DQX7460_CALL DQX7460_DioWriteWord2(HANDLE handle, WORD value);
LONG DQX7460_CALL DQX7460_DioWriteWord(HANDLE handle, DioWordRecord* record);
LONG DQX7460_CALL DQX7460_DioReadWord2(HANDLE handle, WORD* value);
LONG DQX7460_CALL DQX7460_DioReadWord(HANDLE handle, DioWordRecord* record);
LONG DQX7460_CALL DQX7460_DIOInput(HANDLE handle, WORD* value);
LONG DQX7460_CALL DQX7460_DioGetCurrentDOWord(HANDLE handle, WORD* value);
LONG DQX7460_CALL DQX7460_SetCounter(HANDLE handle, WORD counter, CounterConfig config);
LONG DQX7460_CALL DQX7460_SetCounter2(HANDLE handle, WORD counter, WORD mode, LONG flag,
                                      WORD select, ULONG count1, ULONG count2);
LONG DQX7460_CALL DQX7460_StartCounter(HANDLE handle, LONG flag0, LONG flag1, LONG flag2,
                                       LONG flag3);
LONG DQX7460_CALL DQX7460_StopCounter(HANDLE handle, LONG flag0, LONG flag1, LONG flag2,
                                      LONG flag3);
/* Both deliver the four counter values by value into the caller's ULONGs. */
LONG DQX7460_CALL DQX7460_ReadBackCount2(HANDLE handle, ULONG* count0, ULONG* count1, ULONG* count2,
                                         ULONG* count3);
LONG DQX7460_CALL DQX7460_ReadBackCount(HANDLE handle, ULONG* count0, ULONG* count1, ULONG* count2,
                                        ULONG* count3);
LONG DQX7460_CALL DQX7460_SetCounterGate(HANDLE handle, WORD gate);
LONG DQX7460_CALL DQX7460_SetCounterValue(HANDLE handle, WORD counter, ULONG value);

/* The library's messages to the operator (a device number above 15; a driver folder it
 * refuses because another user owns it or may write to it) go through this hook, text and
 * caption in UTF-8. Without a hook, or after setting NULL, they go to stderr (on Windows, to
 * a message box). The 32-bit Windows DLL does not export the setter. */
typedef void (*dqx7460_message_hook)(const char* text, const char* caption);
void dqx7460_set_message_hook(dqx7460_message_hook hook);

#ifdef __cplusplus
}
#endif

#endif /* DQX7460_H */
