#include "collections/CollectionProfile.h"

#include <stdexcept>
#include <string>

namespace pv {

namespace {

constexpr const char *kDrinksEnd = "You are at the end of the list of drinks!";
constexpr const char *kDrinksBeginning = "You are already at the beginning of the list of drinks!";

constexpr CollectionBox kGameName{0, "name", "Name:"};
constexpr CollectionBox kGameInstructions{3, "instructions", "Instructions:"};

constexpr CollectionProfile game(const char *form, const char *caption, const char *source)
{
    return {form, caption, source, kGameName, 50, kGameInstructions, "Game # ", kDrinksEnd, kDrinksBeginning,
            CollectionVariant::Games, CollectionLayout::Games, nullptr, "game", "games"};
}

} // namespace

const std::array<CollectionProfile, 9> &collectionProfiles()
{
    static const std::array<CollectionProfile, 9> profiles = {{
        game("frmCards", "Drinking Games Using Cards", "cardgames"),
        game("frmDice", "Drinking Games Using Dice", "dicegames"),
        game("frmMoney", "Games Using Coins", "coingames"),
        game("frmMedia", "Drinking Games Using TV Shows And Movies", "mediagames"),
        game("frmSpeech", "Drinking Games Using Speech", "vocalgames"),
        game("frmBgames", "Drinking Games Using Board Games", "boardgames"),
        {"frmJoke", "Bar Jokes", "select * from [joke]", {0, "ID", "Joke #"}, 0, {1, "joke", nullptr}, "Joke #: ",
         kDrinksEnd, kDrinksBeginning, CollectionVariant::Sayings, CollectionLayout::Numbered,
         "So, this guy walks into a bar...", "joke", "jokes"},
        {"frmToasting", "Toasting", "select * from [Toasting]", {0, "Cat", "Catagory:"}, 50, {1, "Toasts", "Toasts:"},
         "Catagory #: ", kDrinksEnd, kDrinksBeginning, CollectionVariant::Sayings, CollectionLayout::Toasting, nullptr,
         "toast", "toasts"},
        {"frmLines", "Pick Up Lines", "pickuplines", {0, "ID", "Line #"}, 0, {1, "line", nullptr}, "Line #: ",
         "You are at the end of the list of pick up lines!",
         "You are already at the beginning of the list of pick up lines!", CollectionVariant::Sayings,
         CollectionLayout::Numbered, nullptr, "pick up line", "pick up lines"},
    }};
    return profiles;
}

const CollectionProfile &collectionProfile(std::string_view form)
{
    for (const CollectionProfile &p : collectionProfiles())
        if (form == p.form)
            return p;
    throw std::out_of_range("no collection window named " + std::string(form));
}

QString emptyListMessage(const CollectionProfile &p)
{
    return QStringLiteral("There are no %1 in this list yet. Press Add to write the first one.")
        .arg(QLatin1String(p.many));
}

QString nothingToDeleteMessage(const CollectionProfile &p)
{
    return QStringLiteral("There is no %1 to delete.").arg(QLatin1String(p.one));
}

QString listEmptiedMessage(const CollectionProfile &p)
{
    return QStringLiteral("That was the last %1. The list is empty now.").arg(QLatin1String(p.one));
}

QString nothingChangedMessage()
{
    return QStringLiteral("Nothing has been changed, so there is nothing to save.");
}

QString noRowToSaveMessage(const CollectionProfile &p)
{
    return QStringLiteral("There is no %1 here to save this to. Press Add first to start a new one.")
        .arg(QLatin1String(p.one));
}

QString notWholeNumberMessage(const CollectionProfile &p)
{
    return QStringLiteral("The %1 box takes whole numbers only, such as 12. Type a number, or leave the box empty.")
        .arg(QLatin1String(p.shortBox.label));
}

} // namespace pv
