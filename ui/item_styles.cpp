#include "ui/menu_model.h"

namespace Styles {
#define ORV_STYLE(name, key, font, flags, icon) const ItemStyle name = {key, font, flags, 0, 0, nullptr, icon}

ORV_STYLE(ReadFromFacebook, "READFROMFACEBOOK", 0, 0, 0);
ORV_STYLE(EndOfOrv, "ENDOFORV", 0, 0, 131);
ORV_STYLE(StatusUpdate, "STATUSUPDATE", 0, 0, 135);
ORV_STYLE(Login, "LOGIN", 0, 0, 181);
ORV_STYLE(MainPage, "MAINPAGE", 0, 0, 155);
ORV_STYLE(Posts2, "POSTS2", 0, 0, 132);
ORV_STYLE(MarkReadedComms, "MARKREADEDCOMMS", 0, 0, 179);
ORV_STYLE(FavDialogMenu, "FAVDIALOGMENU", 0, 0, 0);
ORV_STYLE(GoToLinkInText, "GOTOLINKINTEXT", 0, 0, 150);

ORV_STYLE(OpenLink, "OPENLINK", 0, 0x200, 150);
ORV_STYLE(ShowPost, "SHOWPOST", 0, 0x200, 180);
ORV_STYLE(ShowPostPosts, "SHOWPOST", 0, 0x200, 132);
ORV_STYLE(Comments, "COMMENTS", 0, 0x200, 178);
ORV_STYLE(UserWall, "USERWALL", 0, 0x200, 147);
ORV_STYLE(RecFriends, "RECFRIENDS", 0, 0x200, 177);
ORV_STYLE(Notice2, "NOTICE2", 0, 0x200, 142);
ORV_STYLE(ItLikes, "ITLIKES", 0, 0x200, 133);
ORV_STYLE(ILikeIt, "ILIKEIT", 0, 0x200, 133);
ORV_STYLE(NoLike, "NOLIKE", 0, 0x200, 133);
ORV_STYLE(HidePost, "HIDEPOST", 0, 0x200, 132);
ORV_STYLE(HideUser, "HIDEUSER", 0, 0x200, 132);
ORV_STYLE(ShowUser, "SHOWUSER", 0, 0x200, 132);
ORV_STYLE(Posts2Action, "POSTS2", 0, 0x200, 132);
ORV_STYLE(Messages2, "MESSAGES2", 0, 0x200, 144);
ORV_STYLE(SendMsg, "SENDMSG", 0, 0x200, 144);
ORV_STYLE(GetToken, "GETTOKEN", 0, 0x200, 144);
ORV_STYLE(MarkNotice, "MARKNOTICE", 0, 0x200, 142);
ORV_STYLE(MarkNotice2, "MARKNOTICE2", 0, 0x200, 142);
ORV_STYLE(AddComm, "ADDCOMM", 0, 0x200, 179);
ORV_STYLE(GoTo, "GOTO", 0, 0x200, 148);
ORV_STYLE(SettingsAndOther, "SETTINGSANDOTHER", 0, 0x200, 173);
ORV_STYLE(Prefs, "PREFS", 0, 0x200, 152);
ORV_STYLE(Reporting, "REPORTING", 0, 0x200, 174);
ORV_STYLE(UsersHid, "USERSHID", 0, 0x200, 134);
ORV_STYLE(About, "ABOUT", 0, 0x200, 172);
ORV_STYLE(UpdateData, "UPDATEDATA", 0, 0x200, 171);
ORV_STYLE(Logout, "LOGOUT", 0, 0x200, 170);

ORV_STYLE(Reading, "READING", 0, 0x8200, 132);

ORV_STYLE(Separator, "", 0, 0x8500, 0);

ORV_STYLE(SendMsgCentred, "SENDMSG", 0, 0x10200, 0);
ORV_STYLE(MarkReaded, "MARKREADED", 0, 0x10200, 0);

ORV_STYLE(NoNew, "NONEW", 0, 0x18200, 0);
ORV_STYLE(LoginToFb, "LOGINTOFB", 0, 0x18200, 0);
ORV_STYLE(NoNewPosts, "NONEWPOSTS", 0, 0x18200, 0);
ORV_STYLE(CzechLang, "CZECHLANG", 0, 0x18200, 0);
ORV_STYLE(EngLang, "ENGLANG", 0, 0x18200, 0);
ORV_STYLE(DeLang, "DELANG", 0, 0x18200, 0);
ORV_STYLE(SlovakLang, "SLOVAKLANG", 0, 0x18200, 0);

ORV_STYLE(MainTitle, "MAINTITLE", 2, 0x8800, 0);

ORV_STYLE(StatusUpdateHeader, "STATUSUPDATE", 2, 0x19A00, 0);
ORV_STYLE(Posts2Header, "POSTS2", 2, 0x19A00, 0);
ORV_STYLE(CommentsHeader, "COMMENTS", 2, 0x19A00, 0);
ORV_STYLE(Notice2Header, "NOTICE2", 2, 0x19A00, 0);
ORV_STYLE(ItLikesHeader, "ITLIKES", 2, 0x19A00, 0);
ORV_STYLE(Messages2Header, "MESSAGES2", 2, 0x19A00, 0);
ORV_STYLE(RecFriendsHeader, "RECFRIENDS", 2, 0x19A00, 0);
ORV_STYLE(PostsNewAndUpdatedHeader, "POSTS_NEWANDUPDATED", 2, 0x19A00, 0);
ORV_STYLE(NewAndUpHeader, "NEWANDUP", 2, 0x19A00, 0);
ORV_STYLE(GoToHeader, "GOTO", 2, 0x19A00, 0);

// The bold captions keep the flags of their normal entries.
ORV_STYLE(Messages2Bold, "MESSAGES2", 3, 0x200, 144);
ORV_STYLE(StatusUpdateBold, "STATUSUPDATE", 3, 0, 134);
ORV_STYLE(Notice2Bold, "NOTICE2", 3, 0x200, 142);
ORV_STYLE(Posts2Bold, "POSTS2", 3, 0x200, 132);
#undef ORV_STYLE
}  // namespace Styles

const ItemStyle ItemStyleTable[] = {
    Styles::ReadFromFacebook, Styles::EndOfOrv, Styles::StatusUpdate, Styles::Login,
    Styles::MainPage, Styles::Posts2, Styles::MarkReadedComms, Styles::FavDialogMenu,
    Styles::GoToLinkInText, Styles::OpenLink, Styles::ShowPost, Styles::ShowPostPosts,
    Styles::Comments, Styles::UserWall, Styles::RecFriends, Styles::Notice2, Styles::ItLikes,
    Styles::ILikeIt, Styles::NoLike, Styles::HidePost, Styles::HideUser, Styles::ShowUser,
    Styles::Posts2Action, Styles::Messages2, Styles::SendMsg, Styles::GetToken,
    Styles::MarkNotice, Styles::MarkNotice2, Styles::AddComm, Styles::GoTo,
    Styles::SettingsAndOther, Styles::Prefs, Styles::Reporting, Styles::UsersHid, Styles::About,
    Styles::UpdateData, Styles::Logout, Styles::Reading, Styles::Separator,
    Styles::SendMsgCentred, Styles::MarkReaded, Styles::NoNew, Styles::LoginToFb,
    Styles::NoNewPosts, Styles::CzechLang, Styles::EngLang, Styles::DeLang, Styles::SlovakLang,
    Styles::MainTitle, Styles::StatusUpdateHeader, Styles::Posts2Header, Styles::CommentsHeader,
    Styles::Notice2Header, Styles::ItLikesHeader, Styles::Messages2Header,
    Styles::RecFriendsHeader, Styles::PostsNewAndUpdatedHeader, Styles::NewAndUpHeader,
    Styles::GoToHeader, Styles::Messages2Bold, Styles::StatusUpdateBold, Styles::Notice2Bold,
    Styles::Posts2Bold, {nullptr, 0, 0, 0, 0, nullptr, 0},
};
