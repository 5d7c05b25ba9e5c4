// NetMessages -- the datagrams between the client and the world host: type words, the shared parts and their writers and readers for both halves.
#include "world/NetMessages.h"

#include "core/MessageBuffer.h"

namespace {

// A string is at least its NUL; a list entry never takes fewer bytes than this.
constexpr size_t kNetMessagesMinStringBytes = 1;
// Definition and value of one shown effect.
constexpr size_t kNetMessagesEffectBytes = 8;

void NetMessagesWritePosition(MessageBuffer& buffer, const WorldPos& position)
{
    buffer.WriteInt(position.level);
    buffer.WriteFloat(position.x);
    buffer.WriteFloat(position.y);
}

} // namespace

void NetMessages::ReadRawPosition(MessageBuffer& buffer, WorldPos& out)
{
    out.level = buffer.ReadInt();
    buffer.ReadVector2(out.x, out.y);
}

// ---- Lists -------------------------------------------------------------------------------------

void NetMessages::WriteResourceEntry(MessageBuffer& buffer, int32_t index, std::string_view name)
{
    buffer.WriteInt(index);
    buffer.WriteString(name);
}

bool NetMessages::ReadResourceEntries(MessageBuffer& buffer, std::vector<NetResourceEntry>& out)
{
    std::vector<NetResourceEntry> entries;
    // Every entry takes at least five bytes, so the bytes bound the loop.
    while (!buffer.Overrun()) {
        int32_t index = buffer.ReadInt();
        if (buffer.Overrun() || index < kListEnd)
            return false;
        if (index == kListEnd) {
            out = std::move(entries);
            return true;
        }
        std::string name = buffer.ReadString();
        entries.push_back({index, std::move(name)});
    }
    return false;
}

void NetMessages::WriteLineList(MessageBuffer& buffer, const std::vector<std::string>& lines)
{
    buffer.WriteInt(static_cast<int32_t>(lines.size()));
    for (const std::string& line : lines)
        buffer.WriteString(line);
}

bool NetMessages::ReadLineList(MessageBuffer& buffer, std::vector<std::string>& out)
{
    return buffer.ReadStringList(out);
}

// ---- Join, hello, welcome, new world -------------------------------------------------------------

void NetMessages::WriteJoinRequest(MessageBuffer& buffer)
{
    buffer.WriteInt(NetMessageType::kJoinRequest);
}

void NetMessages::WriteClientSettingsType(MessageBuffer& buffer)
{
    buffer.WriteInt(NetMessageType::kClientSettings);
}

void NetMessages::WriteHostEnded(MessageBuffer& buffer)
{
    buffer.WriteInt(NetMessageType::kHostEnded);
}

void NetMessages::WriteHello(MessageBuffer& buffer, const NetHello& hello)
{
    buffer.WriteInt(NetMessageType::kHello);
    buffer.WriteInt(hello.difficulty);
    buffer.WriteUInt(hello.worldSeed);
}

bool NetMessages::ReadHello(MessageBuffer& buffer, NetHello& out)
{
    NetHello hello;
    hello.difficulty = buffer.ReadInt();
    hello.worldSeed = buffer.ReadUInt();
    if (buffer.Overrun())
        return false;
    out = hello;
    return true;
}

void NetMessages::WriteWelcome(MessageBuffer& buffer, const NetWelcome& welcome)
{
    buffer.WriteInt(NetMessageType::kWelcome);
    buffer.WriteInt(welcome.level);
    buffer.WriteInt(welcome.difficulty);
    buffer.WriteUInt(welcome.worldSeed);
    buffer.WriteString(welcome.worldName);
    buffer.WriteUInt(welcome.subSeed);
    for (const NetResourceEntry& entry : welcome.resources)
        WriteResourceEntry(buffer, entry.index, entry.name);
    buffer.WriteInt(kListEnd);
}

bool NetMessages::ReadWelcome(MessageBuffer& buffer, NetWelcome& out)
{
    NetWelcome welcome;
    welcome.level = buffer.ReadInt();
    welcome.difficulty = buffer.ReadInt();
    welcome.worldSeed = buffer.ReadUInt();
    welcome.worldName = buffer.ReadString();
    welcome.subSeed = buffer.ReadUInt();
    if (buffer.Overrun() || !ReadResourceEntries(buffer, welcome.resources))
        return false;
    out = std::move(welcome);
    return true;
}

void NetMessages::WriteNewWorld(MessageBuffer& buffer, const NetNewWorld& message)
{
    buffer.WriteInt(NetMessageType::kNewWorld);
    buffer.WriteInt(message.difficulty);
    buffer.WriteUInt(message.worldSeed);
    buffer.WriteUInt(message.subSeed);
}

bool NetMessages::ReadNewWorld(MessageBuffer& buffer, NetNewWorld& out)
{
    NetNewWorld message;
    message.difficulty = buffer.ReadInt();
    message.worldSeed = buffer.ReadUInt();
    message.subSeed = buffer.ReadUInt();
    if (buffer.Overrun())
        return false;
    out = message;
    return true;
}

// ---- Client update -------------------------------------------------------------------------------

void NetMessages::WriteClientUpdate(MessageBuffer& buffer, const NetClientUpdate& update)
{
    buffer.WriteInt(NetMessageType::kClientUpdate);
    NetMessagesWritePosition(buffer, update.position);
    NetMessagesWritePosition(buffer, update.moveTarget);
    buffer.WriteInt(update.interactionMode);
    buffer.WriteInt(update.target);
    WriteLineList(buffer, update.lines);
}

bool NetMessages::ReadClientUpdate(MessageBuffer& buffer, NetClientUpdate& out)
{
    NetClientUpdate update;
    ReadRawPosition(buffer, update.position);
    ReadRawPosition(buffer, update.moveTarget);
    update.interactionMode = buffer.ReadInt();
    update.target = buffer.ReadInt();
    int32_t count = 0;
    if (buffer.Overrun() || !buffer.ReadCount(count, kNetMessagesMinStringBytes))
        return false;
    // Every line is read, so that a cut one still drops the datagram; only those within the
    // caps are kept.
    for (int32_t i = 0; i < count; ++i) {
        std::string line = buffer.ReadString();
        if (buffer.Overrun())
            return false;
        if (i >= kMaxClientLines || line.size() > kMaxClientLineBytes)
            ++update.refusedLines;
        else
            update.lines.push_back(std::move(line));
    }
    out = std::move(update);
    return true;
}

// ---- Game update ---------------------------------------------------------------------------------

void NetMessages::WriteGameUpdateHead(MessageBuffer& buffer, int32_t level, const std::vector<std::string>& names,
                                      const std::vector<int32_t>& changed, const std::vector<std::string>& lines)
{
    static const std::string kNoName;
    buffer.WriteInt(NetMessageType::kGameUpdate);
    buffer.WriteInt(level);
    for (int32_t index : changed) {
        bool known = index >= 0 && static_cast<size_t>(index) < names.size();
        WriteResourceEntry(buffer, index, known ? names[static_cast<size_t>(index)] : kNoName);
    }
    buffer.WriteInt(kListEnd);
    WriteLineList(buffer, lines);
}

bool NetMessages::ReadGameUpdateHead(MessageBuffer& buffer, NetGameUpdateHead& out)
{
    NetGameUpdateHead head;
    head.level = buffer.ReadInt();
    if (buffer.Overrun() || !ReadResourceEntries(buffer, head.resources) || !ReadLineList(buffer, head.lines))
        return false;
    out = std::move(head);
    return true;
}

bool NetMessages::ReadEntityHeader(MessageBuffer& buffer, NetEntityHeader& out)
{
    out.number = buffer.ReadInt();
    out.definition = buffer.ReadInt();
    out.flags = buffer.ReadUInt();
    out.netFlag = buffer.ReadBool();
    out.covenant = buffer.ReadInt();
    ReadRawPosition(buffer, out.position);
    ReadRawPosition(buffer, out.moveTarget);
    out.parentNumber = buffer.ReadInt();
    out.parentTag = buffer.ReadInt();
    buffer.ReadVector3(out.light[0], out.light[1], out.light[2]);
    out.light[3] = buffer.ReadFloat();
    buffer.ReadVector2(out.light[4], out.light[5]);
    out.model = buffer.ReadInt();
    for (int32_t* value :
         {&out.health, &out.maxHealth, &out.animation, &out.animationMode, &out.playCount, &out.facing})
        *value = buffer.ReadInt();
    out.scale = buffer.ReadFloat();
    out.alpha = buffer.ReadFloat();
    int32_t count = 0;
    // The lists are resized in place, so a reader that reuses out keeps their capacity.
    if (buffer.Overrun() || !buffer.ReadCount(count, 4))
        return false;
    out.visualFlags.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        out.visualFlags[static_cast<size_t>(i)] = buffer.ReadBool();
    out.alwaysBlocks = buffer.ReadBool();
    if (buffer.Overrun() || !buffer.ReadCount(count, kNetMessagesEffectBytes))
        return false;
    out.shownEffects.resize(static_cast<size_t>(count));
    for (auto& [definition, value] : out.shownEffects) {
        definition = buffer.ReadInt();
        value = buffer.ReadInt();
    }
    return !buffer.Overrun();
}

// ---- Sounds --------------------------------------------------------------------------------------

void NetMessages::WriteSoundRecord(MessageBuffer& buffer, const NetSoundRecord& record)
{
    buffer.WriteInt(record.sound);
    buffer.WriteInt(record.entityNumber);
    NetMessagesWritePosition(buffer, record.position);
    buffer.WriteFloat(record.value);
}

bool NetMessages::ReadSounds(MessageBuffer& buffer, std::vector<NetSoundRecord>& out)
{
    int32_t count = 0;
    if (!buffer.ReadCount(count, kSoundRecordBytes))
        return false;
    std::vector<NetSoundRecord> records(static_cast<size_t>(count));
    for (NetSoundRecord& record : records) {
        record.sound = buffer.ReadInt();
        record.entityNumber = buffer.ReadInt();
        ReadRawPosition(buffer, record.position);
        record.value = buffer.ReadFloat();
    }
    out = std::move(records);
    return true;
}
