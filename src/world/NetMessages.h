// NetMessages -- the datagrams between the client and the world host: type words, the shared parts and their writers and readers for both halves.
#pragma once

#include "world/WorldPos.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class MessageBuffer;

// The first word of every datagram.
namespace NetMessageType {
constexpr int32_t kJoinRequest = 0;     // client to host
constexpr int32_t kClientUpdate = 1;    // client to host, every client frame
constexpr int32_t kHello = 2;           // host to the sender of a join request
constexpr int32_t kGameUpdate = 3;      // host to each client, every server frame
constexpr int32_t kClientSettings = 4;  // client to host: makes the sender a client
constexpr int32_t kWelcome = 5;         // host to a client that sent its settings
constexpr int32_t kNewWorld = 6;        // host to every client
constexpr int32_t kHostEnded = 7;       // host to every client: its world has ended, nothing follows
} // namespace NetMessageType

// One entry of the world host's resource name table: a server handle and its resource's name.
struct NetResourceEntry {
    int32_t index = -1;
    std::string name;
};

struct NetHello {
    int32_t difficulty = 0;
    uint32_t worldSeed = 0;
};

struct NetWelcome {
    int32_t level = -1;
    int32_t difficulty = 0;
    uint32_t worldSeed = 0;
    std::string worldName;
    uint32_t subSeed = 0;
    std::vector<NetResourceEntry> resources;
};

struct NetNewWorld {
    int32_t difficulty = 0;
    uint32_t worldSeed = 0;
    uint32_t subSeed = 0;
};

// A client update as it arrived. Positions are raw: the world host judges them against its
// world before it takes them.
struct NetClientUpdate {
    WorldPos position;
    WorldPos moveTarget;
    int32_t interactionMode = 0;
    int32_t target = -1;
    std::vector<std::string> lines;
    // Lines past the cap, or longer than a line may be, that were read and left out.
    int32_t refusedLines = 0;
};

// What every game update starts with, before the entity records.
struct NetGameUpdateHead {
    int32_t level = -1;
    std::vector<NetResourceEntry> resources;
    std::vector<std::string> lines;
};

// The header each visible entity's record starts with, in wire order.
struct NetEntityHeader {
    int32_t number = -1;
    int32_t definition = -1;
    uint32_t flags = 0;
    bool netFlag = false;
    int32_t covenant = -1;
    WorldPos position;
    WorldPos moveTarget;
    int32_t parentNumber = -1;
    int32_t parentTag = -1;
    float light[6] = {};  // colour r, g, b, falloff, offset x, y
    int32_t model = -1;
    int32_t health = 0;
    int32_t maxHealth = 0;
    int32_t animation = -1;
    int32_t animationMode = 0;
    int32_t playCount = 0;
    int32_t facing = 0;
    float scale = 1.0f;
    float alpha = 1.0f;
    std::vector<bool> visualFlags;
    bool alwaysBlocks = false;
    std::vector<std::pair<int32_t, int32_t>> shownEffects;  // {definition, value}
};

// A sound or effect for the client: a resource name table index at a place.
struct NetSoundRecord {
    int32_t sound = -1;
    int32_t entityNumber = -1;
    WorldPos position;
    float value = 0.0f;
};

// Writers put the type word first; readers start after it, since the receiver reads the type
// to choose the reader. A reader fills its output only when the whole part was there, and
// false means the datagram is to be dropped.
class NetMessages {
public:
    // What a client update may carry: more lines, or longer ones, are left out of it.
    static constexpr int32_t kMaxClientLines = 64;
    static constexpr size_t kMaxClientLineBytes = 1023;
    // The mark that ends a list of resource entries and of entity records.
    static constexpr int32_t kListEnd = -1;
    // A sound record in a game update: sound, entity number, position (12 bytes) and value.
    static constexpr size_t kSoundRecordBytes = 24;
    // The world host names no resource at or past this index: model indices and sound slots
    // of the game update lie below it.
    static constexpr int32_t kMaxResourceNames = 1 << 20;

    static void WriteJoinRequest(MessageBuffer& buffer);
    static void WriteClientSettingsType(MessageBuffer& buffer);
    static void WriteHostEnded(MessageBuffer& buffer);

    static void WriteHello(MessageBuffer& buffer, const NetHello& hello);
    static bool ReadHello(MessageBuffer& buffer, NetHello& out);

    static void WriteWelcome(MessageBuffer& buffer, const NetWelcome& welcome);
    static bool ReadWelcome(MessageBuffer& buffer, NetWelcome& out);

    static void WriteNewWorld(MessageBuffer& buffer, const NetNewWorld& message);
    static bool ReadNewWorld(MessageBuffer& buffer, NetNewWorld& out);

    static void WriteClientUpdate(MessageBuffer& buffer, const NetClientUpdate& update);
    static bool ReadClientUpdate(MessageBuffer& buffer, NetClientUpdate& out);

    // The type, the level, the entries of the table named by changed (in that order, repeats
    // kept) and the lines.
    static void WriteGameUpdateHead(MessageBuffer& buffer, int32_t level, const std::vector<std::string>& names,
                                    const std::vector<int32_t>& changed, const std::vector<std::string>& lines);
    static bool ReadGameUpdateHead(MessageBuffer& buffer, NetGameUpdateHead& out);
    // Reads a header into out in place (out keeps its vectors' capacity); false for a cut or a
    // bad count, out then holding a part.
    static bool ReadEntityHeader(MessageBuffer& buffer, NetEntityHeader& out);

    static void WriteSoundRecord(MessageBuffer& buffer, const NetSoundRecord& record);
    static bool ReadSounds(MessageBuffer& buffer, std::vector<NetSoundRecord>& out);

    // Repeated {index, name}, then kListEnd. An index below -1 makes the list malformed.
    static void WriteResourceEntry(MessageBuffer& buffer, int32_t index, std::string_view name);
    static bool ReadResourceEntries(MessageBuffer& buffer, std::vector<NetResourceEntry>& out);
    static void WriteLineList(MessageBuffer& buffer, const std::vector<std::string>& lines);
    static bool ReadLineList(MessageBuffer& buffer, std::vector<std::string>& out);

    // Level, x and y as they stand: no finiteness test.
    static void ReadRawPosition(MessageBuffer& buffer, WorldPos& out);
};
