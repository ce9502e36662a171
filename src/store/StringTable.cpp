#include "StatusLine.h"

#include <QHash>

namespace vellora {

QString statusString(int id) {
    // Entries 1 to 23 are the hints of domains 0 to 22; 24 to 30 serve the
    // database, export and import progress lines.
    static const QHash<int, QString> table = {
        {1, QStringLiteral("Click on File to Open an existing LESN or start a New LESN")},
        {2, QStringLiteral("Set font attributes for new pages or click green \"continue\" arrow to edit Lesn")},
        {3, QStringLiteral("Type in Lesn Title, set font attributes.  Record, select or play title sound file.")},
        {4, QStringLiteral("Type author's first name; set font attributes. Press [Enter] when done.")},
        {5, QStringLiteral("Type author's middle initial; set font attributes. Press [Enter] when done.")},
        {6, QStringLiteral("Type author's Last name; set font attributes. Press [Enter] when done.")},
        {7, QStringLiteral("Type in the copyright holder.  Press [Enter] when done.")},
        {8, QStringLiteral("Type in the copyright city and state.  Press [Enter] when done.")},
        {9, QStringLiteral("Type in the learning objective of the lesn.")},
        {10, QStringLiteral("Select or view a picture for this page.")},
        {11, QStringLiteral("Select or view a video for this page.")},
        {12, QStringLiteral("Type in text which describes the picture. Press green \"Continue\" arrow when done")},
        {13, QStringLiteral("Click on a word then set it's font properties. Press green \"Continue\" arrow when done")},
        {14, QStringLiteral("Record or Select a sound file to accompany the text.")},
        {15, QStringLiteral("Click shorter or longer until sound is synchronized with word in title bar. Click OK button when synchronized.")},
        {16, QStringLiteral("Select Picture, Text or Video.")},
        {17, QStringLiteral("Select or view a picture for this page.")},
        {18, QStringLiteral("Select or view a video for this page.")},
        {19, QStringLiteral("Type in the question and set its font and other properties.")},
        {20, QStringLiteral("Select the font for the choices and the number of choices.")},
        {21, QStringLiteral("Type in text, record sound, and set value of each choice.")},
        {22, QStringLiteral("Type in text, record sound, and set value of each response.")},
        {23, QStringLiteral("Select the correct choice to the question.")},
        {24, QStringLiteral("Select the drive and directory from which to import the LESN.")},
        {25, QStringLiteral("Creating the new Database ")},
        {26, QStringLiteral("Transferring the database to ")},
        {27, QStringLiteral("Zipping file \"")},
        {28, QStringLiteral("Copying files to disk ")},
        {29, QStringLiteral("Reassembling files ")},
        {30, QStringLiteral("Select an Export Drive and Directory")},
    };
    return table.value(id);
}

}  // namespace vellora
