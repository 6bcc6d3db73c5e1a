#ifndef VELLICOR_VST2_ABI_H
#define VELLICOR_VST2_ABI_H
/* The VST 2.4 binary interface as seen by both sides: plug-ins (vst2/) and our own hosts (tools/).
 * Only the records, fields and codes this project uses are named; unnamed parts of the published
 * records are kept as reserved bytes so that sizes and offsets match what real hosts pass.
 * Plain C: usable from C and C++ alike. Layouts are those of 64-bit (LP64) builds. */
#include <stdint.h>

#ifdef __cplusplus
extern "C"
{
#endif

    typedef struct AEffect AEffect;

    /* Host callback and the plug-in's entry points. Arguments: effect, opcode, index, value, pointer, option.
     */
    typedef intptr_t (*audioMasterCallback)(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                            void* ptr, float opt);
    typedef intptr_t (*AEffectDispatcherProc)(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                              void* ptr, float opt);
    typedef void (*AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                       int32_t sampleFrames);
    typedef void (*AEffectProcessDoubleProc)(AEffect* effect, double** inputs, double** outputs,
                                             int32_t sampleFrames);
    typedef void (*AEffectSetParameterProc)(AEffect* effect, int32_t index, float parameter);
    typedef float (*AEffectGetParameterProc)(AEffect* effect, int32_t index);
    /* Exported by every module as VSTPluginMain (and main, for older hosts). */
    typedef AEffect* (*VstPluginMainProc)(audioMasterCallback host);

    /* The effect record (192 bytes). */
    struct AEffect
    {
        int32_t magic; /* kEffectMagic */
        int32_t padding0;
        AEffectDispatcherProc dispatcher;
        AEffectProcessProc process; /* accumulating */
        AEffectSetParameterProc setParameter;
        AEffectGetParameterProc getParameter;
        int32_t numPrograms;
        int32_t numParams;
        int32_t numInputs;
        int32_t numOutputs;
        int32_t flags;
        int32_t padding1;
        intptr_t resvd1;
        intptr_t resvd2;
        int32_t initialDelay;
        int32_t realQualities;
        int32_t offQualities;
        float ioRatio;
        void* object; /* the plug-in instance */
        void* user;   /* the host's own */
        int32_t uniqueID;
        int32_t version;
        AEffectProcessProc processReplacing;
        AEffectProcessDoubleProc processDoubleReplacing;
        char future[56];
    };

    enum
    {
        kEffectMagic = 0x56737450, /* 'VstP' */
        kVstVersion = 2400,
        kVstIdentifyAnswer = 0x4E764566 /* 'NvEf', the answer to effIdentify */
    };

    /* Effect flags. */
    enum
    {
        effFlagsHasEditor = 1 << 0,
        effFlagsCanMono = 1 << 3,
        effFlagsCanReplacing = 1 << 4,
        effFlagsProgramChunks = 1 << 5,
        effFlagsIsSynth = 1 << 8,
        effFlagsCanDoubleReplacing = 1 << 12
    };

    /* Plug-in requests (dispatcher opcodes). */
    enum
    {
        effOpen = 0,
        effClose = 1,
        effSetProgram = 2,
        effGetProgram = 3,
        effSetProgramName = 4,
        effGetProgramName = 5,
        effGetParamLabel = 6,
        effGetParamDisplay = 7,
        effGetParamName = 8,
        effSetSampleRate = 10,
        effSetBlockSize = 11,
        effMainsChanged = 12,
        effEditGetRect = 13,
        effEditOpen = 14,
        effEditClose = 15,
        effEditIdle = 19,
        effIdentify = 22,
        effGetChunk = 23,
        effSetChunk = 24,
        effProcessEvents = 25,
        effCanBeAutomated = 26,
        effString2Parameter = 27,
        effGetProgramNameIndexed = 29,
        effGetInputProperties = 33,
        effGetOutputProperties = 34,
        effGetPlugCategory = 35,
        effSetSpeakerArrangement = 42,
        effSetBypass = 44,
        effGetEffectName = 45,
        effGetVendorString = 47,
        effGetProductString = 48,
        effGetVendorVersion = 49,
        effVendorSpecific = 50,
        effCanDo = 51,
        effIdle = 53,
        effGetVstVersion = 58,
        effGetMidiProgramName = 62,
        effGetCurrentMidiProgram = 63,
        effGetMidiProgramCategory = 64,
        effHasMidiProgramsChanged = 65,
        effGetMidiKeyName = 66,
        effBeginSetProgram = 67,
        effEndSetProgram = 68,
        effGetSpeakerArrangement = 69,
        effStartProcess = 71,
        effStopProcess = 72
    };

    /* Host requests (host callback opcodes). */
    enum
    {
        audioMasterAutomate = 0,
        audioMasterVersion = 1,
        audioMasterWantMidi = 6,
        audioMasterGetTime = 7,
        audioMasterGetProductString = 33,
        audioMasterGetVendorVersion = 34,
        audioMasterBeginEdit = 43,
        audioMasterEndEdit = 44
    };

    /* Plug-in categories (effGetPlugCategory). */
    enum
    {
        kPlugCategEffect = 1,
        kPlugCategSynth = 2
    };

    /* Published text buffer sizes, terminator included. */
    enum
    {
        kVstMaxProgNameLen = 24,
        kVstMaxParamStrLen = 8,
        kVstMaxVendorStrLen = 64,
        kVstMaxProductStrLen = 64,
        kVstMaxEffectNameLen = 32,
        kVstMaxLabelLen = 64,
        kVstMaxShortLabelLen = 8,
        kVstMaxNameLen = 64
    };

    /* Transport position (audioMasterGetTime). Only the first field is read here; the rest of the
     * published record (88 bytes) is reserved so that a host can hand out a whole one. */
    typedef struct VstTimeInfo
    {
        double samplePos;
        double reservedDoubles[7];
        int32_t reservedInts[6];
    } VstTimeInfo;

    /* Events (effProcessEvents). The list holds numEvents pointers from byte 16 on. */
    enum
    {
        kVstMidiType = 1,
        kVstSysExType = 6
    };

    typedef struct VstEvent
    {
        int32_t type;
        int32_t byteSize;
        int32_t deltaFrames;
        int32_t flags;
        char data[16];
    } VstEvent;

    typedef struct VstMidiEvent
    {
        int32_t type; /* kVstMidiType */
        int32_t byteSize;
        int32_t deltaFrames;
        int32_t flags;
        int32_t noteLength;
        int32_t noteOffset;
        char midiData[4];
        char detune;
        char noteOffVelocity;
        char reserved1;
        char reserved2;
    } VstMidiEvent;

    typedef struct VstMidiSysexEvent
    {
        int32_t type; /* kVstSysExType */
        int32_t byteSize;
        int32_t deltaFrames;
        int32_t flags;
        int32_t dumpBytes;
        int32_t resvd1;
        char* sysexDump;
        intptr_t resvd2;
    } VstMidiSysexEvent;

    typedef struct VstEvents
    {
        int32_t numEvents;
        int32_t padding0;
        intptr_t reserved;
        VstEvent* events[2]; /* really numEvents entries */
    } VstEvents;

    /* Pin properties (effGetInputProperties, effGetOutputProperties). */
    enum
    {
        kVstPinIsActive = 1 << 0,
        kVstPinIsStereo = 1 << 1,
        kVstPinUseSpeaker = 1 << 2
    };

    typedef struct VstPinProperties
    {
        char label[kVstMaxLabelLen];
        int32_t flags;
        int32_t arrangementType;
        char shortLabel[kVstMaxShortLabelLen];
        char future[48];
    } VstPinProperties;

    /* Speaker arrangements (effSetSpeakerArrangement, effGetSpeakerArrangement). */
    enum
    {
        kSpeakerArrUserDefined = -2,
        kSpeakerArrEmpty = -1,
        kSpeakerArrMono = 0,
        kSpeakerArrStereo = 1
    };

    typedef struct VstSpeakerProperties
    {
        float azimuth;
        float elevation;
        float radius;
        float reserved;
        char name[kVstMaxNameLen];
        int32_t type;
        char future[28];
    } VstSpeakerProperties;

    typedef struct VstSpeakerArrangement
    {
        int32_t type;
        int32_t numChannels;
        VstSpeakerProperties speakers[8];
    } VstSpeakerArrangement;

    /* Editor rectangle (effEditGetRect). */
    typedef struct ERect
    {
        int16_t top;
        int16_t left;
        int16_t bottom;
        int16_t right;
    } ERect;

    /* Key names (effGetMidiKeyName). */
    typedef struct MidiKeyName
    {
        int32_t thisProgramIndex;
        int32_t thisKeyNumber;
        char keyName[kVstMaxNameLen];
        int32_t reserved;
        int32_t flags;
    } MidiKeyName;

    /* Vendor-specific sub-requests (effVendorSpecific, selected by index). */
    enum
    {
        kVendorFormatNormalized = 7,    /* value: parameter; option: normalised value; ptr: text out */
        kVendorDisplayTextCount = 8,    /* value: parameter; ptr: int32 out */
        kVendorTextToNormalized = 27,   /* value: parameter; ptr: text in, replaced by the normalised value */
        kVendorVersionNotice = 58,      /* value: version */
        kVendorWheelIndex = 0x73744341, /* 'stCA'; value 'Whee', option: wheel delta */
        kVendorWheelValue = 0x57686565
    };
#define kVendorAnswer ((intptr_t)0xBEEF)
#define kHostExtensionAnswer ((intptr_t)0xBEEF0000)

#ifdef __cplusplus
} /* extern "C" */
#define VST2_ABI_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define VST2_ABI_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#include <stddef.h>
#if INTPTR_MAX == INT64_MAX
VST2_ABI_ASSERT(sizeof(AEffect) == 192, "effect record is 192 bytes");
VST2_ABI_ASSERT(offsetof(AEffect, dispatcher) == 8, "dispatcher at 8");
VST2_ABI_ASSERT(offsetof(AEffect, process) == 16, "process at 16");
VST2_ABI_ASSERT(offsetof(AEffect, setParameter) == 24, "setParameter at 24");
VST2_ABI_ASSERT(offsetof(AEffect, getParameter) == 32, "getParameter at 32");
VST2_ABI_ASSERT(offsetof(AEffect, numPrograms) == 40, "numPrograms at 40");
VST2_ABI_ASSERT(offsetof(AEffect, numParams) == 44, "numParams at 44");
VST2_ABI_ASSERT(offsetof(AEffect, numInputs) == 48, "numInputs at 48");
VST2_ABI_ASSERT(offsetof(AEffect, numOutputs) == 52, "numOutputs at 52");
VST2_ABI_ASSERT(offsetof(AEffect, flags) == 56, "flags at 56");
VST2_ABI_ASSERT(offsetof(AEffect, resvd1) == 64, "resvd1 at 64");
VST2_ABI_ASSERT(offsetof(AEffect, resvd2) == 72, "resvd2 at 72");
VST2_ABI_ASSERT(offsetof(AEffect, initialDelay) == 80, "initialDelay at 80");
VST2_ABI_ASSERT(offsetof(AEffect, realQualities) == 84, "realQualities at 84");
VST2_ABI_ASSERT(offsetof(AEffect, offQualities) == 88, "offQualities at 88");
VST2_ABI_ASSERT(offsetof(AEffect, ioRatio) == 92, "ioRatio at 92");
VST2_ABI_ASSERT(offsetof(AEffect, object) == 96, "object at 96");
VST2_ABI_ASSERT(offsetof(AEffect, user) == 104, "user at 104");
VST2_ABI_ASSERT(offsetof(AEffect, uniqueID) == 112, "uniqueID at 112");
VST2_ABI_ASSERT(offsetof(AEffect, version) == 116, "version at 116");
VST2_ABI_ASSERT(offsetof(AEffect, processReplacing) == 120, "processReplacing at 120");
VST2_ABI_ASSERT(offsetof(AEffect, processDoubleReplacing) == 128, "processDoubleReplacing at 128");
VST2_ABI_ASSERT(offsetof(AEffect, future) == 136, "future at 136");
VST2_ABI_ASSERT(sizeof(VstTimeInfo) == 88, "time-info record is 88 bytes");
VST2_ABI_ASSERT(offsetof(VstEvents, events) == 16, "event pointers from byte 16");
VST2_ABI_ASSERT(offsetof(VstMidiSysexEvent, sysexDump) == 24, "sysex bytes pointer at 24");
VST2_ABI_ASSERT(sizeof(VstMidiSysexEvent) == 40, "sysex event is 40 bytes");
#endif
VST2_ABI_ASSERT(sizeof(VstEvent) == 32, "event is 32 bytes");
VST2_ABI_ASSERT(sizeof(VstMidiEvent) == 32, "MIDI event is 32 bytes");
VST2_ABI_ASSERT(offsetof(VstMidiEvent, midiData) == 24, "MIDI bytes at 24");
VST2_ABI_ASSERT(sizeof(VstPinProperties) == 128, "pin properties are 128 bytes");
VST2_ABI_ASSERT(sizeof(VstSpeakerProperties) == 112, "speaker properties are 112 bytes");
VST2_ABI_ASSERT(sizeof(VstSpeakerArrangement) == 904, "speaker arrangement is 904 bytes");
VST2_ABI_ASSERT(sizeof(ERect) == 8, "editor rectangle is 8 bytes");
VST2_ABI_ASSERT(offsetof(MidiKeyName, keyName) == 8, "key name at 8");
VST2_ABI_ASSERT(sizeof(MidiKeyName) == 80, "key name record is 80 bytes");

#endif /* VELLICOR_VST2_ABI_H */
