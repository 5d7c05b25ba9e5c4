// ResourceManagerTest -- sharing and counts, the cache and its threshold, queue order, fallbacks, reload and commands.
#include "resources/GraphicsContextLock.h"
#include "resources/TextResource.h"
#include "support/ZipWriter.h"
#include "ResourceWorld.h"

#include <atomic>
#include <semaphore>

namespace {

std::string TextOf(Resource* resource)
{
    auto* text = dynamic_cast<TextResource*>(resource);
    if (!text)
        return "<not text>";
    return std::string(reinterpret_cast<const char*>(text->GetBytes()), text->GetByteCount());
}

using ResourceSharing = ResourceWorld;

TEST_F(ResourceSharing, OneRowPerNameWhateverItsCaseWithOneReferencePerHolder)
{
    WriteAsset("textures/a.txt", std::string("line\0bytes", 10));
    ResourceHandle first;
    ResourceHandle second;
    manager->Load("Textures/A.txt", first);
    manager->Load("textures/a.TXT", second);
    ASSERT_NE(first.GetValue(), -1);
    EXPECT_EQ(first.GetValue(), second.GetValue());
    EXPECT_EQ(manager->GetReferenceCount(first), 2);
    // The row keeps the name as first asked for; the bytes come as the file holds them.
    EXPECT_EQ(second.GetName(), "Textures/A.txt");
    EXPECT_EQ(TextOf(manager->Get(second)), std::string("line\0bytes", 10));
    // The type registry once matched extensions byte for byte, so "a.TXT" ended the program.
    EXPECT_TRUE(manager->IsOfExtension(first, "tXt"));
    EXPECT_FALSE(manager->IsOfExtension(first, "tx"));

    ResourceHandle copy = first;
    EXPECT_EQ(manager->GetReferenceCount(first), 3);
    ResourceHandle& alias = copy;
    copy = alias;
    EXPECT_EQ(manager->GetReferenceCount(first), 3);
    copy.Reset();
    EXPECT_EQ(manager->GetReferenceCount(first), 2);
}

TEST_F(ResourceSharing, LoadingIntoAHeldHandleReleasesWhatItHeldAndAnEmptyNameClearsIt)
{
    WriteAsset("a.txt", "a");
    WriteAsset("b.txt", "b");
    ResourceHandle handle;
    manager->Load("a.txt", handle);
    int32_t rowA = handle;
    manager->Load("b.txt", handle);
    EXPECT_EQ(manager->GetReferenceCount(rowA), 0);
    EXPECT_EQ(manager->GetReferenceCount(handle), 1);
    // Loading the name it already holds keeps exactly one reference.
    manager->Load("B.TXT", handle);
    EXPECT_EQ(manager->GetReferenceCount(handle), 1);
    int32_t rowB = handle;
    manager->Load("", handle);
    EXPECT_EQ(handle.GetValue(), -1);
    EXPECT_EQ(manager->GetReferenceCount(rowB), 0);
    EXPECT_EQ(manager->Get(handle), nullptr);
}

TEST_F(ResourceSharing, AssignHoldsItsOwnReferenceAndLetsGoOfTheOldRow)
{
    WriteAsset("a.txt", "a");
    WriteAsset("b.txt", "b");
    ResourceHandle a, b, empty;
    manager->Load("a.txt", a);
    manager->Load("b.txt", b);
    struct Case {
        const char* what;
        const ResourceHandle* from;
        int32_t countA;
        int32_t countB;
    };
    ResourceHandle target;
    const Case cases[] = {
        {"empty takes a", &a, 2, 1},
        {"a again keeps one reference", &a, 2, 1},
        {"itself changes nothing", &target, 2, 1},
        {"b moves the reference", &b, 1, 2},
        {"empty lets go", &empty, 1, 1},
    };
    for (const Case& c : cases) {
        target.Assign(*c.from);
        EXPECT_EQ(target.GetValue(), c.from == &target ? a.GetValue() : c.from->GetValue()) << c.what;
        EXPECT_EQ(manager->GetReferenceCount(a), c.countA) << c.what;
        EXPECT_EQ(manager->GetReferenceCount(b), c.countB) << c.what;
    }
    // The copy lives on after its source lets go.
    ResourceHandle kept;
    kept.Assign(b);
    b.Reset();
    EXPECT_EQ(TextOf(manager->Get(kept)), "b");
}

TEST_F(ResourceSharing, HandlesOutsideTheTableAreRefused)
{
    ResourceHandle held;
    WriteAsset("a.txt", "a");
    manager->Load("a.txt", held);
    int32_t past = manager->GetResourceCount();
    EXPECT_EQ(manager->Get(past), nullptr);
    EXPECT_EQ(manager->Get(-7), nullptr);
    EXPECT_EQ(manager->WaitFor(past, true), nullptr);
    EXPECT_EQ(manager->GetName(past), "");
    manager->AddRef(past);
    manager->Release(1 << 30);
    EXPECT_FALSE(manager->IsOfExtension(past, "txt"));
    EXPECT_EQ(CountLogged("which is not in the table"), 6);
    EXPECT_EQ(TextOf(manager->Get(held)), "a");
}

using ResourceTypes = ResourceWorld;

TEST_F(ResourceTypes, MissingFileWithoutFallbackEndsTheProgramAtTheFirstGet)
{
    RegisterProbe("mdl", true);
    // The extension is the text after the last dot of the file name: "mdl.gone" has no type.
    for (const std::string name : {"gone.mdl", "a.b/c.mdl.gone", "noextension"}) {
        ResourceHandle handle;
        manager->Load(name, handle);
        try {
            manager->Get(handle);
            ADD_FAILURE() << name << " did not stop the program";
        } catch (const CriticalErrorThrown& error) {
            EXPECT_EQ(std::string(error.what()), "Critical file " + name + " not found!");
        }
        EXPECT_EQ(CountLogged("Couldn't find " + name + "\n"), 1);
        // Loaded now, the row ends the program on every later ask as well, however it is asked.
        for (bool takeLock : {false, true}) {
            try {
                if (takeLock)
                    manager->WaitFor(handle, true);
                else
                    manager->Get(handle);
                ADD_FAILURE() << name << " did not stop the program again";
            } catch (const CriticalErrorThrown& error) {
                EXPECT_EQ(std::string(error.what()), "Critical file " + name + " not found!");
            }
        }
    }
    // Dots before the last one are part of the name: a missing text file reads as empty.
    ResourceHandle text;
    manager->Load("a.b/c.d.txt", text);
    EXPECT_EQ(TextOf(manager->Get(text)), "");
}

TEST_F(ResourceTypes, MissingTextBecomesEmptyText)
{
    ResourceHandle handle;
    manager->Load("nowhere.txt", handle);
    Resource* text = manager->Get(handle);
    ASSERT_NE(dynamic_cast<TextResource*>(text), nullptr);
    EXPECT_EQ(text->GetByteCount(), 0u);
    EXPECT_EQ(text->GetBytes(), nullptr);
    EXPECT_EQ(CountLogged("^c001Couldn't find nowhere.txt\n"), 1);
}

TEST_F(ResourceTypes, MissingCacheFileIsBuiltFromItsAlternativeByTheAlternativesType)
{
    RegisterProbe("tga", true, "", {}, true);
    RegisterProbe("ctx", true, "tga", {}, true);
    WriteAsset("tex/a.tga", "TGA-A");
    WriteAsset("tex/b.ctx", "CTX-B");
    WriteAsset("tex/b.tga", "TGA-B");
    ResourceHandle a, b, c;
    manager->Load("tex/a.ctx", a);
    manager->Load("tex/b.ctx", b);
    manager->Load("tex/c.ctx", c);
    ProbeResource* fromAlternative = GetProbe(a);
    ASSERT_NE(fromAlternative, nullptr);
    EXPECT_EQ(fromAlternative->builtBy, "tga");
    EXPECT_EQ(fromAlternative->content, "TGA-A");
    EXPECT_EQ(GetProbe(b)->builtBy, "ctx");
    EXPECT_EQ(GetProbe(b)->content, "CTX-B");
    // With neither file, the fallback is the alternative type's.
    EXPECT_EQ(GetProbe(c)->builtBy, "tga fallback");
    EXPECT_EQ(CountLogged("Couldn't find tex/c.ctx\n"), 1);
    // Factories are handed the name that was asked for.
    EXPECT_EQ(Built(), (std::vector<std::string>{"tex/a.ctx", "tex/b.ctx"}));
}

// An empty entry once handed the memory file's read a null pointer to copy from, which the
// sanitizer build stops at.
TEST_F(ResourceTypes, EmptyFilesInAnArchiveLoadAsEmptyText)
{
    ASSERT_TRUE(WriteZip((folder.Path() / "assets001.zip").string(),
                         {{"stored.txt", "", true}, {"deflated.txt", ""}, {"full.txt", "x"}}));
    ASSERT_TRUE(files.MountArchive("assets001.zip"));
    ResourceHandle stored, deflated, full;
    manager->Load("stored.txt", stored);
    manager->Load("deflated.txt", deflated);
    manager->Load("full.txt", full);
    EXPECT_EQ(TextOf(manager->Get(stored)), "");
    EXPECT_EQ(TextOf(manager->Get(deflated)), "");
    EXPECT_EQ(TextOf(manager->Get(full)), "x");
    EXPECT_EQ(CountLogged("Couldn't find"), 0);
}

using ResourceCache = ResourceWorld;

TEST_F(ResourceCache, UnreferencedObjectsStayCachedUntilMemoryIsOverTheThreshold)
{
    RegisterProbe("prb", true);
    WriteAsset("a.prb", "a");
    ResourceHandle handle;
    manager->Load("a.prb", handle);
    ProbeResource* object = GetProbe(handle);
    int32_t row = handle;
    handle.Reset();
    for (int pass = 0; pass < 3; ++pass)
        RunLoaderPass();
    EXPECT_EQ(ProbeResource::live.load(), baselineProbes + 1);

    manager->Load("A.prb", handle);
    EXPECT_EQ(handle.GetValue(), row);
    EXPECT_EQ(GetProbe(handle), object);
    EXPECT_EQ(Built().size(), 1u);
    handle.Reset();

    void* ballast = MemAlloc(64, kMemGeneral);
    SetMemoryThreshold(32);
    EXPECT_TRUE(ProbeResource::WaitForLive(baselineProbes));
    MemFree(ballast);
}

TEST_F(ResourceCache, AFreedRowIsTheFirstToBeReused)
{
    RegisterProbe("prb", false);
    ResourceHandle a, b, c;
    manager->Load("a.prb", a);
    manager->Load("b.prb", b);
    GetProbe(a);
    GetProbe(b);
    int32_t rowA = a;
    int32_t rows = manager->GetResourceCount();
    void* ballast = MemAlloc(64, kMemGeneral);
    SetMemoryThreshold(32);
    a.Reset();
    ASSERT_TRUE(ProbeResource::WaitForLive(baselineProbes + 1));
    MemFree(ballast);
    manager->Load("c.prb", c);
    EXPECT_EQ(c.GetValue(), rowA);
    EXPECT_EQ(manager->GetResourceCount(), rows);
    EXPECT_EQ(c.GetName(), "c.prb");
}

TEST_F(ResourceCache, NoUseIsCountedOnAFreedRow)
{
    RegisterProbe("prb", false);
    ResourceHandle a, b;
    manager->Load("a.prb", a);
    GetProbe(a);
    int32_t rowA = a;
    void* ballast = MemAlloc(64, kMemGeneral);
    SetMemoryThreshold(32);
    a.Reset();
    ASSERT_TRUE(ProbeResource::WaitForLive(baselineProbes));
    MemFree(ballast);
    // The number of the freed row, as a holder that let go too early would still have it.
    manager->AddRef(rowA);
    manager->Release(rowA);
    EXPECT_EQ(CountLogged("which was freed"), 2);
    // The row is handed out once, to the next name; the old name gets a row of its own.
    manager->Load("b.prb", b);
    manager->Load("a.prb", a);
    EXPECT_EQ(b.GetValue(), rowA);
    EXPECT_NE(a.GetValue(), rowA);
    EXPECT_EQ(manager->GetReferenceCount(rowA), 1);
    EXPECT_EQ(a.GetName(), "a.prb");
    EXPECT_EQ(b.GetName(), "b.prb");
}

using ResourceQueue = ResourceWorld;

TEST_F(ResourceQueue, AWaitedRowAndItsPrerequisiteGoAheadOfTheQueue)
{
    RegisterProbe("rec", false);
    ResourceHandle prerequisite;
    RegisterProbe("pre", false, "", [&prerequisite](const std::string&, int32_t) { return prerequisite.GetValue(); });

    ResourceHandle a1, a2, target, a3;
    BlockLoader();
    manager->Load("a1.rec", a1);
    manager->Load("a2.rec", a2);
    manager->Load("t.pre", target);
    manager->Load("a3.rec", a3);
    manager->Load("p.rec", prerequisite);
    ASSERT_NE(GetProbe(target), nullptr);
    manager->WaitForLoadQueue();
    GetProbe(a3);
    EXPECT_EQ(Built(), (std::vector<std::string>{"p.rec", "t.pre", "a1.rec", "a2.rec", "a3.rec"}));
}

// A prerequisite that is loaded already used to be chosen again on every pass, forever.
TEST_F(ResourceQueue, APrerequisiteLoadedAlreadyNoLongerHoldsItsRowBack)
{
    RegisterProbe("rec", false);
    ResourceHandle prerequisite, target;
    RegisterProbe("pre", false, "", [&prerequisite](const std::string&, int32_t) { return prerequisite.GetValue(); });
    manager->Load("p.rec", prerequisite);
    GetProbe(prerequisite);
    BlockLoader();
    manager->Load("t.pre", target);
    EXPECT_NE(GetProbe(target), nullptr);
    EXPECT_EQ(Built(), (std::vector<std::string>{"p.rec", "t.pre"}));
}

// The loader skips rows nobody holds, so a Get of one would have waited forever.
TEST_F(ResourceQueue, AGetOfARowNobodyHoldsGivesUpInsteadOfWaitingForever)
{
    RegisterProbe("prb", false);
    ResourceHandle dropped;
    BlockLoader();
    manager->Load("x.prb", dropped);
    int32_t row = dropped;
    dropped.Reset();
    EXPECT_EQ(manager->Get(row), nullptr);
    EXPECT_EQ(CountLogged("Can't wait for x.prb: nobody holds it\n"), 1);
}

TEST_F(ResourceQueue, WaitedOnIsLoggedOncePerBlockingGetButNeverForShaders)
{
    RegisterProbe("rec", false);
    RegisterProbe("sdr", false);
    ASSERT_TRUE(ExecuteCommandLine("setUserVar d_printFilesWaitingOn 1"));

    ResourceHandle record, shader, quiet;
    BlockLoader();
    manager->Load("Shaders/s.SDR", shader);
    GetProbe(shader);
    BlockLoader();
    manager->Load("Data/r.rec", record);
    GetProbe(record);
    GetProbe(record);
    EXPECT_EQ(CountLogged("Waited on "), 1);
    EXPECT_EQ(CountLogged("Waited on Data/r.rec\n"), 1);

    ASSERT_TRUE(ExecuteCommandLine("setUserVar d_printFilesWaitingOn 0"));
    BlockLoader();
    manager->Load("Data/q.rec", quiet);
    GetProbe(quiet);
    EXPECT_EQ(CountLogged("Waited on "), 1);
}

// A row released before the loader reached it was skipped and never found again, its row lost.
TEST_F(ResourceQueue, ARowReleasedBeforeItsTurnIsNeverBuiltAndIsReused)
{
    RegisterProbe("prb", false);
    ResourceHandle dropped, next;
    BlockLoader();
    manager->Load("dropped.prb", dropped);
    int32_t row = dropped;
    dropped.Reset();
    manager->WaitForLoadQueue();
    manager->Load("dropped.prb", next);
    EXPECT_EQ(next.GetValue(), row);
    EXPECT_NE(GetProbe(next), nullptr);
    EXPECT_EQ(Built(), (std::vector<std::string>{"dropped.prb"}));
}

// An object whose references all went while its factory ran used to stay behind in a row.
TEST_F(ResourceQueue, AnObjectReleasedWhileLoadingIsFreedWhenItsLoadFinishes)
{
    LoadBarrier gate;
    std::binary_semaphore started(0);
    manager->RegisterType("slow", kMemGraphics, true, "", true,
                          [&](const std::string&, uint8_t* bytes, uint32_t count, int32_t) {
                              auto* probe = new ProbeResource("slow", "");
                              started.release();
                              gate.Wait();
                              probe->KeepBytes(bytes, count);
                              return probe;
                          });
    WriteAsset("s.slow", std::string(3000, 's'));
    ResourceHandle slow, next;
    manager->Load("s.slow", slow);
    int32_t row = slow;
    started.acquire();
    slow.Reset();
    gate.Open();
    ASSERT_TRUE(ProbeResource::WaitForLive(baselineProbes));
    RegisterProbe("prb", false);
    manager->Load("n.prb", next);
    EXPECT_EQ(next.GetValue(), row);
    EXPECT_NE(GetProbe(next), nullptr);
    // The loader has moved on, so the kept bytes went with the object.
    EXPECT_EQ(MemBytesInUse(kMemGraphics), 0);
}

using ResourceLoaderThread = ResourceWorld;

// A factory that needed a resource still queued used to wait for the loader: for itself.
TEST_F(ResourceLoaderThread, AFactoryGetsAQueuedResourceByLoadingItThere)
{
    RegisterProbe("rec", false);
    std::string seen;
    manager->RegisterType("dep", kMemGeneral, false, "", true, [&](const std::string& name, uint8_t*, uint32_t, int32_t) {
        ResourceHandle part;
        manager->Load(name == "self.dep" ? name : "part.rec", part);
        auto* probe = dynamic_cast<ProbeResource*>(manager->Get(part));
        seen += probe ? probe->builtBy : "none";
        seen += ";";
        return new ProbeResource("dep", "");
    });
    ResourceHandle whole, self;
    manager->Load("whole.dep", whole);
    EXPECT_EQ(GetProbe(whole)->builtBy, "dep");
    manager->Load("self.dep", self);
    GetProbe(self);
    EXPECT_EQ(seen, "rec;none;");
    EXPECT_EQ(CountLogged("self.dep needs itself to load"), 1);
}

// A manager whose loader never started loads what its caller needs on the caller's thread,
// and still frees what it cached when it goes.
TEST_F(ResourceLoaderThread, WithoutALoaderGetLoadsOnTheCallingThread)
{
    ResourceManager alone;
    gResourceManager = &alone;
    bool onCaller = false;
    std::thread::id caller = std::this_thread::get_id();
    alone.RegisterType("prb", kMemGeneral, false, "", true, [&](const std::string&, uint8_t*, uint32_t, int32_t) {
        onCaller = std::this_thread::get_id() == caller;
        return new ProbeResource("prb", "");
    });
    {
        ResourceHandle handle;
        alone.Load("a.prb", handle);
        EXPECT_NE(alone.Get(handle), nullptr);
    }
    EXPECT_TRUE(onCaller);
    EXPECT_EQ(ProbeResource::live.load(), baselineProbes + 1);
    alone.Shutdown();
    EXPECT_EQ(ProbeResource::live.load(), baselineProbes);
    gResourceManager = manager.get();
}

// The loader's thread ends through the platform that started it, and the manager counts it
// stopped only once it has: a shutdown's caller may take both away at once.
TEST_F(ResourceLoaderThread, TheLoaderEndsItsThreadThroughThePlatformBeforeShutdownReturns)
{
    EXPECT_EQ(platform.threadsEnded.load(), 0) << "running";
    manager->Shutdown();
    EXPECT_EQ(platform.threadsEnded.load(), 1);
}

// Get used to give up one level of the context; the loader's factory then never got it.
TEST_F(ResourceLoaderThread, AWaitingGetGivesUpEveryLevelOfTheContextAndTakesThemBack)
{
    GraphicsContextLock context;
    manager->SetGraphicsContextLock(&context);
    bool contextWasFree = false;
    manager->RegisterType("gl", kMemGraphics, false, "", true, [&](const std::string&, uint8_t*, uint32_t, int32_t) {
        contextWasFree = context.GetOwner() == -1;
        if (contextWasFree) {
            context.AcquireContext();
            context.ReleaseContext();
        }
        return new ProbeResource("gl", "");
    });
    context.AcquireContext();
    context.AcquireContext();
    ResourceHandle texture;
    BlockLoader();
    manager->Load("t.gl", texture);
    EXPECT_NE(GetProbe(texture), nullptr);
    EXPECT_TRUE(contextWasFree);
    EXPECT_EQ(context.GetDepth(), 2);
    EXPECT_TRUE(context.IsHeldByCurrentThread());
    context.ReleaseContext();
    context.ReleaseContext();
    manager->SetGraphicsContextLock(nullptr);
}

// WaitForLoadQueue used to keep the context: the loader, blocked on it in its first upload,
// never emptied the queue, and the wait never ended.
TEST_F(ResourceLoaderThread, WaitingForTheQueueGivesUpTheContextAndTakesItBack)
{
    GraphicsContextLock context;
    manager->SetGraphicsContextLock(&context);
    manager->RegisterType("gl", kMemGraphics, false, "", true, [&](const std::string&, uint8_t*, uint32_t, int32_t) {
        context.AcquireContext();
        context.ReleaseContext();
        return new ProbeResource("gl", "");
    });
    context.AcquireContext();
    context.AcquireContext();
    ResourceHandle textures[3];
    for (int i = 0; i < 3; ++i)
        manager->Load("t" + std::to_string(i) + ".gl", textures[i]);
    manager->WaitForLoadQueue();
    EXPECT_EQ(context.GetDepth(), 2);
    for (const ResourceHandle& texture : textures)
        EXPECT_NE(GetProbe(texture), nullptr);
    context.ReleaseContext();
    context.ReleaseContext();
    manager->SetGraphicsContextLock(nullptr);
}

using ResourceReload = ResourceWorld;

TEST_F(ResourceReload, AHeldUseKeepsTheReplacedObjectUntilItIsLetGo)
{
    RegisterProbe("prb", false);
    ResourceHandle handle;
    manager->Load("a.prb", handle);
    ResourceRef<Resource> use = manager->GetRef(handle);
    ASSERT_NE(use.Get(), nullptr);
    manager->ReloadExtension("prb", false, -1);
    ProbeResource* rebuilt = GetProbe(handle);
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_NE(rebuilt, use.Get());
    // The row's object and the one still in use.
    EXPECT_EQ(ProbeResource::live.load(), baselineProbes + 2);
    EXPECT_EQ(dynamic_cast<const ProbeResource*>(use.Get())->builtBy, "prb");
    ResourceRef<Resource> copy = use;
    use.Reset();
    EXPECT_EQ(ProbeResource::live.load(), baselineProbes + 2);
    copy.Reset();
    EXPECT_EQ(ProbeResource::live.load(), baselineProbes + 1);
    // A use of the row's current object does not outlive the row's own.
    ResourceRef<Resource> current = manager->GetRef(handle);
    handle.Reset();
    void* ballast = MemAlloc(64, kMemGeneral);
    SetMemoryThreshold(32);
    RunLoaderPass();
    MemFree(ballast);
    EXPECT_EQ(ProbeResource::live.load(), baselineProbes + 1);
    current.Reset();
    EXPECT_EQ(ProbeResource::live.load(), baselineProbes);
}

TEST_F(ResourceReload, ReloadExtensionRebuildsLoadedRowsBehindTheSameHandles)
{
    WriteAsset("a.txt", "one");
    RegisterProbe("fix", false, "", {}, false, false);
    ResourceHandle text, copy, fixed;
    manager->Load("a.txt", text);
    copy = text;
    manager->Load("f.fix", fixed);
    EXPECT_EQ(TextOf(manager->Get(text)), "one");
    ProbeResource* fixedObject = GetProbe(fixed);

    WriteAsset("a.txt", "two");
    ASSERT_TRUE(ExecuteCommandLine("reloadExtension TXT"));
    EXPECT_EQ(TextOf(manager->Get(copy)), "two");
    EXPECT_EQ(manager->GetReferenceCount(text), 2);

    ASSERT_TRUE(ExecuteCommandLine("reloadExtension fix"));
    ASSERT_TRUE(ExecuteCommandLine("reloadExtension nope"));
    EXPECT_EQ(CountLogged("Can't reload extension fix through this method!\n"), 1);
    EXPECT_EQ(CountLogged("Can't reload extension nope through this method!\n"), 1);
    EXPECT_EQ(GetProbe(fixed), fixedObject);
}

TEST_F(ResourceReload, ATypeIdReloadsOnlyObjectsOfThatKind)
{
    manager->RegisterType("kind", kMemGeneral, false, "", true, [this](const std::string& name, uint8_t*, uint32_t, int32_t) {
        Record(name);
        return new ProbeResource("kind", "", name == "seven.kind" ? 7 : -1);
    });
    ResourceHandle seven, other;
    manager->Load("seven.kind", seven);
    manager->Load("other.kind", other);
    GetProbe(seven);
    GetProbe(other);
    manager->ReloadExtension("kind", true, 7);
    GetProbe(seven);
    GetProbe(other);
    EXPECT_EQ(Built(), (std::vector<std::string>{"seven.kind", "other.kind", "seven.kind"}));
}

using ResourceCommands = ResourceWorld;

TEST_F(ResourceCommands, PrintResourceInfoLoadsPrintsAndLetsGo)
{
    WriteAsset("a.txt", "a");
    folder.Write("default.cfg", "");
    ASSERT_TRUE(ExecuteCommandLine("printResourceInfo a.txt"));
    EXPECT_EQ(CountLogged("This type doesn't support printInfo yet (ask a programmer if really needed)"), 1);
    EXPECT_EQ(manager->GetReferenceCount(0), 0);
    ASSERT_TRUE(ExecuteCommandLine("printResourceInfo b.txt"));
    EXPECT_EQ(CountLogged("b.txt file doesn't exist\n"), 1);
    // A file of no resource type once loaded as missing and ended the program.
    ASSERT_TRUE(ExecuteCommandLine("printResourceInfo default.cfg"));
    EXPECT_EQ(CountLogged("default.cfg is not a resource type\n"), 1);
    EXPECT_EQ(manager->GetResourceCount(), 1);
}

} // namespace
