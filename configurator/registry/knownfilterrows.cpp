#include "knownfilterrows.h"

const char legacyFilterInstancePrefix[] = "CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\";

// Every filter is shipped in a server file of its own, but for the linked
// pairs (slots 40 and 42, 41 and 43): one server registers both members, so
// re-registering it resets both. The demultiplexers' servers are named
// "KestraneSplitter...".
const KnownFilterRow knownFilterRows[knownFilterRowCount] = {
    {"{6513270E-269E-4D37-B2A7-4DE452E6B438}", 0x800000, "Kestrane H.264 Video Decoder", FilterKind::VideoDecoder, 0x34363248 /* H264 */, "KestraneH264"}, // 0
    {"{D23F0824-128B-4F33-8C5C-7FD0A6A3A450}", 0x7FFFFF, "Kestrane H.264 Video Decoder (Software)", FilterKind::VideoDecoder, 0x34363248 /* H264 */, "KestraneH264Soft"}, // 1
    {"{9531985D-5D9D-49F8-9818-E811892F902B}", 0x800000, "Kestrane HEVC Video Decoder", FilterKind::VideoDecoder, 0x43564548 /* HEVC */, "KestraneHevc"}, // 2
    {"{36F675CC-81E7-4EF5-A8E2-5D940ED90475}", 0x7FFFFF, "Kestrane HEVC Video Decoder (Software)", FilterKind::VideoDecoder, 0x43564548 /* HEVC */, "KestraneHevcSoft"}, // 3
    {"{6B0D549B-6F03-475A-9600-A35A099950D8}", 0x800000, "Kestrane VC-1 Video Decoder", FilterKind::VideoDecoder, 0x31435657 /* WVC1 */, "KestraneVc1"}, // 4
    {"{8D116ECE-1738-47D9-BD9C-172411E20B8F}", 0x5FFFFE, "Kestrane WMV9 Video Decoder", FilterKind::VideoDecoder, 0x33564D57 /* WMV3 */, "KestraneWmv9"}, // 5
    {"{90C192CF-D3AC-44AF-8F21-DDB66CAD4A26}", 0x800001, "Kestrane MPEG-4 Video Decoder", FilterKind::VideoDecoder, 0x5634504D /* MP4V */, "KestraneMpeg4"}, // 6
    {"{A170B338-3926-4059-B28C-105D1FB17C23}", 0x5FFFFF, "Kestrane DivX Video Decoder", FilterKind::VideoDecoder, 0x58564944 /* DIVX */, "KestraneDivx"}, // 7
    {"{0FD630F1-F29D-4DA9-953F-48F1A09F76B5}", 0x800002, "Kestrane VP9 Video Decoder", FilterKind::VideoDecoder, 0x30395056 /* VP90 */, "KestraneVp9"}, // 8
    {"{0CB1E29C-658C-4A14-95E6-0AF593BD04CF}", 0x5FFFFF, "Kestrane VP8 Video Decoder", FilterKind::VideoDecoder, 0x30385056 /* VP80 */, "KestraneVp8"}, // 9
    {"{8E81973E-0BEC-47B0-B898-D190F9EBDACC}", 0x600000, "Kestrane MPEG-1 Video Decoder", FilterKind::VideoDecoder, 0x3147504D /* MPG1 */, "KestraneMpeg1"}, // 10
    {"{6B4CB242-4A23-4596-A217-BEADDBC496CB}", 0x5FFFFF, "Kestrane Motion JPEG Video Decoder", FilterKind::VideoDecoder, 0x47504A4D /* MJPG */, "KestraneMjpeg"}, // 11
    {"{92276658-1E27-41C0-8A6A-63EC24EDE6A4}", 0x600000, "Kestrane Theora Video Decoder", FilterKind::VideoDecoder, 0x4F454854 /* THEO */, "KestraneTheora"}, // 12
    {"{AE97BA94-D0ED-482F-8F6D-05584EF8AA38}", 0x5FFFFF, "Kestrane Dirac Video Decoder", FilterKind::VideoDecoder, 0x63617264 /* drac */, "KestraneDirac"}, // 13
    {"{923A7369-94E3-4F91-9A61-DBE22E44158B}", 0x600000, "Kestrane DV Video Decoder", FilterKind::VideoDecoder, 0x64737664 /* dvsd */, "KestraneDv"}, // 14
    {"{18F135D2-5F55-4203-B018-50C5A38FD547}", 0x5FFFFF, "Kestrane HuffYUV Video Decoder", FilterKind::VideoDecoder, 0x55594648 /* HFYU */, "KestraneHuffyuv"}, // 15
    {"{907A70C3-1012-4037-B64C-E4228C38FB29}", 0x600000, "Kestrane AV1 Video Decoder", FilterKind::VideoDecoder, 0x31305641 /* AV01 */, "KestraneAv1"}, // 16
    {"{7F150524-34B9-45DF-9E77-69B10F4205B4}", 0x5FFFFF, "Kestrane AV1 Video Decoder (Software)", FilterKind::VideoDecoder, 0x31305641 /* AV01 */, "KestraneAv1Soft"}, // 17
    {"{C6F87718-6D76-407E-881E-D162AE2EB154}", 0x600000, "Kestrane ProRes Video Decoder", FilterKind::VideoDecoder, 0x6E637061 /* apcn */, "KestraneProres"}, // 18
    {"{EC66A787-95E7-41D1-B731-AF10506BF2EF}", 0x5FFFFF, "Kestrane DNxHD Video Decoder", FilterKind::VideoDecoder, 0x6E645641 /* AVdn */, "KestraneDnxhd"}, // 19
    {"{3F98E277-4CBD-47AD-9C90-A9587403E430}", 0x600000, "Kestrane AAC Audio Decoder", FilterKind::AudioDecoder, 0x000000FF, "KestraneAac"}, // 20
    {"{C7A2EA20-B2F1-4C94-AE05-319ACB5C7427}", 0x5FFFFF, "Kestrane HE-AAC Audio Decoder", FilterKind::AudioDecoder, 0x00001610, "KestraneHeAac"}, // 21
    {"{4CDD2055-930D-4EAF-94F4-733F3E7D1BFB}", 0x400001, "Kestrane AC-3 Audio Decoder", FilterKind::AudioDecoder, 0x00002000, "KestraneAc3"}, // 22
    {"{57EE05CD-E009-42C7-BEBF-F20686734721}", 0x400000, "Kestrane E-AC-3 Audio Decoder", FilterKind::AudioDecoder, 0x00002000, "KestraneEac3"}, // 23
    {"{9BE4BCFC-49B6-4A08-B2E6-CC3ABABCED20}", 0x600001, "Kestrane DTS Audio Decoder", FilterKind::AudioDecoder, 0x00002001, "KestraneDts"}, // 24
    {"{830E07BC-1E39-4F10-92BD-4ACEFAECBD38}", 0x5FFFFF, "Kestrane DTS-HD Audio Decoder", FilterKind::AudioDecoder, 0x00002001, "KestraneDtsHd"}, // 25
    {"{5790F82E-C1D3-4CFF-AA3A-F4D46B0A18E8}", 0x800001, "Kestrane MP3 Audio Decoder", FilterKind::AudioDecoder, 0x00000055, "KestraneMp3"}, // 26
    {"{6BF46C69-7D2C-4F82-AEEA-CBE226E87555}", 0x5FFFFF, "Kestrane MP2 Audio Decoder", FilterKind::AudioDecoder, 0x00000050, "KestraneMp2"}, // 27
    {"{13DEEF86-AB10-41D0-B646-E1F40A097C97}", 0x600000, "Kestrane Vorbis Audio Decoder", FilterKind::AudioDecoder, 0x0000674F, "KestraneVorbis"}, // 28
    {"{CA02135E-92B1-43F2-8EDE-0D7AC3BAEA9E}", 0x5FFFFF, "Kestrane Opus Audio Decoder", FilterKind::AudioDecoder, 0x0000704F, "KestraneOpus"}, // 29
    {"{57124242-5051-41CC-917F-9ACAE01F5057}", 0x800000, "Kestrane FLAC Audio Decoder", FilterKind::AudioDecoder, 0x0000F1AC, "KestraneFlac"}, // 30
    {"{7F26144B-9828-4FCD-99A5-4A7BB1FEE08F}", 0x5FFFFF, "Kestrane ALAC Audio Decoder", FilterKind::AudioDecoder, 0x00006C61, "KestraneAlac"}, // 31
    {"{119A72D1-74C9-4F6A-8C01-1CDD9474031B}", 0x600000, "Kestrane WMA Audio Decoder", FilterKind::AudioDecoder, 0x00000161, "KestraneWma"}, // 32
    {"{451ABD81-F1D6-4ED6-97F5-E837D70820FE}", 0x5FFFFF, "Kestrane WMA Pro Audio Decoder", FilterKind::AudioDecoder, 0x00000162, "KestraneWmaPro"}, // 33
    {"{10A3D6B2-AA05-411A-B271-5945795E8229}", 0x600000, "Kestrane LPCM Audio Decoder", FilterKind::AudioDecoder, 0x00000001, "KestraneLpcm"}, // 34
    {"{4F426DCB-B394-4B36-BB2D-420F0F88080B}", 0x5FFFFF, "Kestrane ADPCM Audio Decoder", FilterKind::AudioDecoder, 0x00000002, "KestraneAdpcm"}, // 35
    {"{AE658F33-FE3B-490B-93F4-48B3A5AA3C81}", 0x800001, "Kestrane TrueHD Audio Decoder", FilterKind::AudioDecoder, 0x00002000, "KestraneTruehd"}, // 36
    {"{B774EB52-48DB-40AF-B215-8370D269A9A5}", 0x800000, "Kestrane MLP Audio Decoder", FilterKind::AudioDecoder, 0x00002000, "KestraneMlp"}, // 37
    {"{58D5563D-AB2C-431E-A315-128862C33A4F}", 0x800001, "Kestrane Speex Audio Decoder", FilterKind::AudioDecoder, 0x0000A109, "KestraneSpeex"}, // 38
    {"{5AFFB229-7631-4992-B0CE-583505C6AF07}", 0x800000, "Kestrane AMR Audio Decoder", FilterKind::AudioDecoder, 0x00007361, "KestraneAmr"}, // 39
    {"{7E62AA0A-1DF9-4D78-9C65-39382B0537E6}", 0x800100, "Kestrane MPEG-2 Video Decoder", FilterKind::VideoDecoder, 0x3247504D /* MPG2 */, "KestraneMpeg2Video"}, // 40
    {"{49952399-C4AA-4AC1-B7DC-76FB0F17A300}", 0x8000FF, "Kestrane MPEG-2 Audio Decoder", FilterKind::AudioDecoder, 0x00000050, "KestraneMpeg2Audio"}, // 41
    {"{65DC9F50-3F63-4F83-BD05-61E6211C70CF}", 0x400000, "Kestrane MPEG-2 Video Decoder (Compatibility)", FilterKind::VideoDecoder, 0x3247504D /* MPG2 */, "KestraneMpeg2Video"}, // 42
    {"{7F1B103C-DF15-42B0-AAB4-77D26415479C}", 0x3FFFFF, "Kestrane MPEG-2 Audio Decoder (Compatibility)", FilterKind::AudioDecoder, 0x00000050, "KestraneMpeg2Audio"}, // 43
    {"{66D22876-72FD-4202-AA96-FB1A14A0F9E7}", 0x800101, "Kestrane MPEG-TS Demultiplexer", FilterKind::Demultiplexer, 0, "KestraneSplitterMpegTs"}, // 44
    {"{230D977E-E225-4159-8720-771F8CA81811}", 0x800100, "Kestrane MPEG-PS Demultiplexer", FilterKind::Demultiplexer, 0, "KestraneSplitterMpegPs"}, // 45
    {"{8CDB305F-DD2E-4609-AE36-AAB0D1BC52D9}", 0x200000, "Kestrane Matroska Demultiplexer", FilterKind::Demultiplexer, 0, "KestraneSplitterMatroska"}, // 46
    {"{FC891B4A-6A50-4F4D-B4D6-6A3A47469A4D}", 0x1FFFFF, "Kestrane WebM Demultiplexer", FilterKind::Demultiplexer, 0, "KestraneSplitterWebm"}, // 47
    {"{616499C9-E25A-4605-AEC6-F0245BD86D40}", 0x800000, "Kestrane MP4 Demultiplexer", FilterKind::Demultiplexer, 0, "KestraneSplitterMp4"}, // 48
    {"{153E7C2A-26A2-40BD-BB12-87FFF52DDF5D}", 0x800000, "Kestrane AVI Demultiplexer", FilterKind::Demultiplexer, 0, "KestraneSplitterAvi"}, // 49
    {"{A8948C89-3B61-4676-A6BB-7DBD2D1C9AF0}", 0x200000, "Kestrane FLV Demultiplexer", FilterKind::Demultiplexer, 0, "KestraneSplitterFlv"}, // 50
    {"{D4C28C2E-7C26-447F-8316-909E3BBBE9EA}", 0x1FFFFF, "Kestrane Ogg Demultiplexer", FilterKind::Demultiplexer, 0, "KestraneSplitterOgg"}, // 51
};
