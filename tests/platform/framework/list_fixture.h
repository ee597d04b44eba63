#pragma once
// A small list-and-form pair over the scratch catalogue: an album list (by
// title or by media, a jump locator on the title) whose update procedure is
// an album form, and a song list limited to the album in the album buffer.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/framework/data_fixture.h"
#include "platform/framework/form_controller.h"
#include "platform/framework/list_browser.h"
#include "platform/framework/locators.h"
#include "platform/framework/thumb_step.h"
#include "platform/framework/use_binding.h"
#include "platform/framework/view_reader.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/resources.h"
#include "platform/tables/view.h"

std::span<const qv::rt::EmbeddedFile> fwtestResources();

namespace qv::fw::testing {

inline constexpr const char* listYaml = R"(
title: List
at: [0, 0, 200, 120]
controls:
  - {type: list, name: List, at: [10, 10, 150, 60]}
  - {type: button, name: Insert, text: "&Add", at: [10, 85, 30, 12]}
  - {type: button, name: Change, text: "&Change", at: [45, 85, 30, 12], flags: [default]}
  - {type: button, name: Delete, text: "&Delete", at: [80, 85, 30, 12]}
  - {type: button, name: Select, text: "&Select", at: [115, 85, 30, 12]}
  - {type: button, name: Close, text: "Cl&ose", at: [150, 85, 40, 12]}
)";

// A bare window hosting a list browser the test builds by hand.
class BrowserWindow : public WindowController
{
public:
    BrowserWindow(std::string name, ListBrowser& list, std::function<void()> form)
        : WindowController(std::move(name))
        , list_(list)
        , form_(std::move(form))
    { }
    Level Prepare() override
    {
        WindowController::Prepare();
        setWindow(std::make_unique<rt::Window>(rt::parseWindowDef(listYaml, "test", name())));
        addResponseButton("?Close", response::Cancelled);
        list_.setInsertControl("?Insert");
        list_.setChangeControl("?Change");
        list_.setDeleteControl("?Delete");
        list_.setSelectControl("?Select");
        list_.setHideSelect(true);
        list_.setUpdateProcedure(1);
        setUpdateProcedure(1, form_);
        addComponent(list_);
        openWindow();
        return Benign;
    }

private:
    ListBrowser& list_;
    std::function<void()> form_;
};

struct ListFixture : ::testing::Test {
    Catalogue c;
    tables::View albumView{c.albums};
    ViewReader albums{albumView, c.albumAccess};
    ListBrowser albumList{albums, "?List"};
    KeyJumpLocator jump;
    ThumbStepText letters;
    int byTitle = 0, byMedia = 0;
    tables::View songView{c.songs};
    ViewReader songs{songView, c.songAccess};
    ListBrowser songList{songs, "?List"};

    ListFixture()
    {
        rt::ResourceStore::add("fwtest", fwtestResources());
        registerRecord(c.albums.record());
        registerRecord(c.songs.record());
        byTitle = albums.AddSortOrder("ALB:KeyTitle");
        byMedia = albums.AddSortOrder("ALB:KeyMedia");
        albumList.addField(c.albums.record(), "ALB:Title");
        albumList.addField(c.albums.record(), "ALB:Media");
        albumList.setLocator(byTitle, &jump);
        albumList.setThumbStep(byTitle, &letters);
        albumList.setPageSize(4);

        const int byAlbum = songs.AddSortOrder("SNG:KeyAlbumID");
        songs.LimitToParent(byAlbum, c.albumAccess, {{"SNG:AlbumID", "ALB:AlbumID"}});
        songList.addField(c.songs.record(), "SNG:Title");
        songList.setPageSize(4);
        handover() = Handover{};
    }
    ~ListFixture() override
    {
        unregisterRecord(c.albums.record());
        unregisterRecord(c.songs.record());
        handover() = Handover{};
    }

    void albumForm()
    {
        FormController f("fwtest", "UpdateAlbum", c.albumSet);
        f.Execute();
    }
    void songForm()
    {
        FormController f("fwtest", "UpdateSong", c.songSet);
        f.Execute();
    }

    // Starts a list on a thread of its own with a request; result gets the
    // response when it closes.
    rt::Window* open(
        const char* name, ListBrowser& list, std::function<void()> form, int request = 0, int* result = nullptr)
    {
        c.host.start(name, [this, name, &list, form, request, result] {
            handover().request = request;
            BrowserWindow w(name, list, form);
            const int r = w.Execute();
            if (result)
                *result = r;
        });
        c.host.settle();
        return c.host.window(name);
    }
    rt::Window* openAlbums(int request = 0, int* result = nullptr)
    {
        return open(
            "BrowseAlbums", albumList, [this] { albumForm(); }, request, result);
    }
    rt::Window* openSongs()
    {
        return open("BrowseSongs", songList, [this] { songForm(); });
    }

    static std::vector<std::string> shown(const ListBrowser& l, int column = 0)
    {
        std::vector<std::string> out;
        for (int r = 0; r < l.rowCount(); ++r)
            out.push_back(l.cell(r, column));
        return out;
    }
    static std::string highlighted(const ListBrowser& l, int column = 0) { return l.cell(l.selectedRow() - 1, column); }
    std::string dialogText() const
    {
        const rt::MessageBoxWindow* m = c.host.messageBox();
        return m ? m->title() : std::string();
    }
};

} // namespace qv::fw::testing
