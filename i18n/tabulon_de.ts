<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>ArchiveChooser</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
</context>
<context>
    <name>ArchiveCommands</name>
    <message>
        <source>another archive or ESC</source>
        <translation>anderes Archiv oder Esc</translation>
    </message>
</context>
<context>
    <name>Archives</name>
    <message>
        <source>Create desktop-icon ?</source>
        <translation>Desktop-Symbol anlegen?</translation>
    </message>
    <message>
        <source>Root folder for:  &apos;%1&apos;  ?</source>
        <translation>Stammordner für  &apos;%1&apos;?</translation>
    </message>
    <message>
        <source>Drive  &apos;%1&apos;  not exist !</source>
        <translation>Laufwerk  &apos;%1&apos;  existiert nicht!</translation>
    </message>
    <message>
        <source>Record or database is locked by another user !<byte value="xd"/>Try again later ...</source>
        <translation>Datensatz oder Datenbank ist von einem anderen Benutzer gesperrt!<byte value="xd"/>Versuchen Sie es später noch einmal ...</translation>
    </message>
    <message>
        <source>the name is empty</source>
        <translation>der Name ist leer</translation>
    </message>
    <message>
        <source>a name must not hold &quot;/&quot; or &quot;\&quot;</source>
        <translation>ein Name darf weder &quot;/&quot; noch &quot;\&quot; enthalten</translation>
    </message>
    <message>
        <source>a name must not begin with &quot;.&quot;</source>
        <translation>ein Name darf nicht mit &quot;.&quot; beginnen</translation>
    </message>
    <message>
        <source>a name must not hold control characters</source>
        <translation>ein Name darf keine Steuerzeichen enthalten</translation>
    </message>
    <message>
        <source>the settings files can not hold all of its characters</source>
        <translation>die Einstellungsdateien können nicht alle seine Zeichen aufnehmen</translation>
    </message>
    <message>
        <source>the name is too long</source>
        <translation>der Name ist zu lang</translation>
    </message>
    <message>
        <source>Archive  &apos;%1&apos;  can not be used: %2 !</source>
        <translation>Archiv  &apos;%1&apos;  kann nicht verwendet werden: %2!</translation>
    </message>
    <message>
        <source>Switch archive</source>
        <translation>Archiv wechseln</translation>
    </message>
    <message>
        <source>Name of the archive ?</source>
        <translation>Name des Archivs?</translation>
    </message>
    <message>
        <source>Archive  &apos;%1&apos;  already exists !</source>
        <translation>Archiv  &apos;%1&apos;  existiert bereits!</translation>
    </message>
    <message>
        <source>Delete archive</source>
        <translation>Archiv löschen</translation>
    </message>
    <message>
        <source>Archive  &apos;%1&apos;  is open and can not be deleted !</source>
        <translation>Archiv  &apos;%1&apos;  ist geöffnet und kann nicht gelöscht werden!</translation>
    </message>
    <message>
        <source>Delete archive  &apos;%1&apos; (no files !)</source>
        <translation>Archiv  &apos;%1&apos;  löschen (ohne Dateien!)</translation>
    </message>
</context>
<context>
    <name>Browse</name>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Notiz</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Kennzeichen</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Info file</source>
        <translation>Langtextdatei</translation>
    </message>
    <message>
        <source>deleted</source>
        <translation>gelöscht</translation>
    </message>
    <message>
        <source>the file system refused</source>
        <translation>das Dateisystem hat es verweigert</translation>
    </message>
    <message>
        <source>Search for a word or a part of it ?<byte value="xd"/>\  on the end searches folder and<byte value="xd"/>one character only searches tags.<byte value="xd"/><byte value="xd"/>Esc clears the current search string ...</source>
        <translation>Nach einem Wort oder einem Teil davon suchen?<byte value="xd"/>\  am Ende sucht einen Ordner,<byte value="xd"/>ein einzelnes Zeichen sucht Kennzeichen.<byte value="xd"/><byte value="xd"/>Esc löscht den aktuellen Suchbegriff ...</translation>
    </message>
    <message>
        <source>Text:  </source>
        <translation>Text:  </translation>
    </message>
    <message>
        <source>Tag list</source>
        <translation>Kennzeichenliste</translation>
    </message>
    <message>
        <source>Add tag ? (1 Character)</source>
        <translation>Kennzeichen hinzufügen? (1 Zeichen)</translation>
    </message>
    <message>
        <source>Delete tag ? (1 Character)</source>
        <translation>Kennzeichen löschen? (1 Zeichen)</translation>
    </message>
    <message>
        <source>Tag  &apos;%1&apos;  can not be stored: a tag is one character of Windows-1252, not a blank !</source>
        <translation>Kennzeichen  &apos;%1&apos;  kann nicht gespeichert werden: Ein Kennzeichen ist ein Zeichen aus Windows-1252, kein Leerzeichen!</translation>
    </message>
    <message>
        <source>Tag (Character) for the filter ?<byte value="xd"/><byte value="xd"/>start with - (minus) for logical NOT</source>
        <translation>Kennzeichen (Zeichen) für den Filter?<byte value="xd"/><byte value="xd"/>mit - (Minus) beginnen für logisches NICHT</translation>
    </message>
    <message>
        <source>Tags:  </source>
        <translation>Kennzeichen:  </translation>
    </message>
    <message>
        <source>Text file</source>
        <translation>Textdatei</translation>
    </message>
    <message>
        <source>Tag  &apos;%1&apos;  can not be stored: in a Unicode catalogue a tag is one ASCII character, not a blank !</source>
        <translation>Kennzeichen  &apos;%1&apos;  kann nicht gespeichert werden: In einem Unicode-Katalog ist ein Kennzeichen ein ASCII-Zeichen, kein Leerzeichen!</translation>
    </message>
</context>
<context>
    <name>BrowseViews</name>
    <message>
        <source>No folder at position %1</source>
        <translation>Kein Ordner an Position %1</translation>
    </message>
    <message>
        <source>Folder  &apos;%1&apos;  not found</source>
        <translation>Ordner  &apos;%1&apos;  nicht gefunden</translation>
    </message>
</context>
<context>
    <name>CellEditor</name>
    <message>
        <source>File name  &apos;%1&apos;  is not valid (it needs a dot and must not end in a blank): the file keeps its name  &apos;%2&apos;  !</source>
        <translation>Dateiname  &apos;%1&apos;  ist ungültig (er braucht einen Punkt und darf nicht auf ein Leerzeichen enden): Die Datei behält ihren Namen  &apos;%2&apos;!</translation>
    </message>
    <message>
        <source>File name  &apos;%1&apos;  is not valid (it must not be empty or end in a blank): the file keeps its name  &apos;%2&apos;  !</source>
        <translation>Dateiname  &apos;%1&apos;  ist ungültig (er darf nicht leer sein oder auf ein Leerzeichen enden): Die Datei behält ihren Namen  &apos;%2&apos;!</translation>
    </message>
</context>
<context>
    <name>Command</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Switch archiv</source>
        <translation>Archiv &amp;wechseln</translation>
    </message>
    <message>
        <source>Alt+F2 = Switch archive</source>
        <translation>Alt+F2 = Archiv wechseln</translation>
    </message>
    <message>
        <source>&amp;Switch index</source>
        <translation>&amp;Index wechseln</translation>
    </message>
    <message>
        <source>Alt+F3 = Switch index</source>
        <translation>Alt+F3 = Index wechseln</translation>
    </message>
    <message>
        <source>&amp;New archive</source>
        <translation>&amp;Neues Archiv</translation>
    </message>
    <message>
        <source>&amp;Delete archive</source>
        <translation>Archiv &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Reoganization</source>
        <translation>&amp;Reorganisation</translation>
    </message>
    <message>
        <source>Printer set&amp;up</source>
        <translation>Drucker &amp;einrichten</translation>
    </message>
    <message>
        <source>&amp;Print (folder)</source>
        <translation>&amp;Drucken (Ordner)</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>Ein&amp;stellungen</translation>
    </message>
    <message>
        <source>Alt+F1 = Settings</source>
        <translation>Alt+F1 = Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Alt+F4 = Exit</source>
        <translation>Alt+F4 = Beenden</translation>
    </message>
    <message>
        <source>F&amp;older</source>
        <translation>&amp;Ordner</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>F1 = Create new folder</source>
        <translation>F1 = Neuen Ordner anlegen</translation>
    </message>
    <message>
        <source>&amp;Rename</source>
        <translation>&amp;Umbenennen</translation>
    </message>
    <message>
        <source>F2 = Rename (move) folder</source>
        <translation>F2 = Ordner umbenennen (verschieben)</translation>
    </message>
    <message>
        <source>&amp;Expand all</source>
        <translation>Alle &amp;aufklappen</translation>
    </message>
    <message>
        <source>&amp;Collaps all</source>
        <translation>Alle &amp;zuklappen</translation>
    </message>
    <message>
        <source>Folder &amp;update</source>
        <translation>Ordner a&amp;ktualisieren</translation>
    </message>
    <message>
        <source>&amp;Delete folder (empty)</source>
        <translation>Ordner &amp;löschen (leer)</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>&amp;Next / down</source>
        <translation>&amp;Weiter / abwärts</translation>
    </message>
    <message>
        <source>F3 = Search down</source>
        <translation>F3 = Abwärts suchen</translation>
    </message>
    <message>
        <source>&amp;Prior / up</source>
        <translation>&amp;Zurück / aufwärts</translation>
    </message>
    <message>
        <source>F4 = Search up</source>
        <translation>F4 = Aufwärts suchen</translation>
    </message>
    <message>
        <source>Clear search (Esc)</source>
        <translation>Suche löschen (Esc)</translation>
    </message>
    <message>
        <source>Sync viewer</source>
        <translation>Betrachter synchronisieren</translation>
    </message>
    <message>
        <source>Ctrl+S - Sync viewer</source>
        <translation>Strg+S - Betrachter synchronisieren</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>F5 = Edit</source>
        <translation>F5 = Bearbeiten</translation>
    </message>
    <message>
        <source>Edit &amp;text</source>
        <translation>&amp;Text bearbeiten</translation>
    </message>
    <message>
        <source>F6 = Edit text</source>
        <translation>F6 = Text bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Delete / Abort</source>
        <translation>&amp;Löschen / Abbrechen</translation>
    </message>
    <message>
        <source>F7 = Delete or Abort</source>
        <translation>F7 = Löschen oder Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Update / OK</source>
        <translation>&amp;Aktualisieren / OK</translation>
    </message>
    <message>
        <source>F8 = Update folder or  OK</source>
        <translation>F8 = Ordner aktualisieren oder OK</translation>
    </message>
    <message>
        <source>&amp;Save text as</source>
        <translation>Text &amp;speichern unter</translation>
    </message>
    <message>
        <source>&amp;Insert file</source>
        <translation>Datei &amp;einfügen</translation>
    </message>
    <message>
        <source>Delete &amp;all</source>
        <translation>Alles l&amp;öschen</translation>
    </message>
    <message>
        <source>I&amp;nsert date</source>
        <translation>Datum ei&amp;nfügen</translation>
    </message>
    <message>
        <source>&amp;Add tag</source>
        <translation>Kennzeichen &amp;hinzufügen</translation>
    </message>
    <message>
        <source>Delete &amp;tag</source>
        <translation>&amp;Kennzeichen löschen</translation>
    </message>
    <message>
        <source>&amp;Replace tags</source>
        <translation>Kennzeichen e&amp;rsetzen</translation>
    </message>
    <message>
        <source>Too&amp;ls</source>
        <translation>E&amp;xtras</translation>
    </message>
    <message>
        <source>&amp;Filter tags</source>
        <translation>Kennzeichen &amp;filtern</translation>
    </message>
    <message>
        <source>F9 = Set filter to tags (logical: AND)</source>
        <translation>F9 = Filter auf Kennzeichen setzen (logisch: UND)</translation>
    </message>
    <message>
        <source>&amp;Move file</source>
        <translation>Datei &amp;verschieben</translation>
    </message>
    <message>
        <source>F10 = Move file (also Drag &amp; Drop ...)</source>
        <translation>F10 = Datei verschieben (auch per Drag &amp; Drop ...)</translation>
    </message>
    <message>
        <source>&amp;Copy file</source>
        <translation>Datei &amp;kopieren</translation>
    </message>
    <message>
        <source>F11 = Copy file</source>
        <translation>F11 = Datei kopieren</translation>
    </message>
    <message>
        <source>&amp;Updata all</source>
        <translation>&amp;Alle aktualisieren</translation>
    </message>
    <message>
        <source>F12 = Update all folders</source>
        <translation>F12 = Alle Ordner aktualisieren</translation>
    </message>
    <message>
        <source>Explore folder</source>
        <translation>Ordner im Dateimanager öffnen</translation>
    </message>
    <message>
        <source>Ctrl+E - Explore folder</source>
        <translation>Strg+E - Ordner im Dateimanager öffnen</translation>
    </message>
    <message>
        <source>&amp;Tags</source>
        <translation>Kennzeichen&amp;liste</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>Show top toolbar</source>
        <translation>Obere Werkzeugleiste anzeigen</translation>
    </message>
    <message>
        <source>Show bottom toolbar</source>
        <translation>Untere Werkzeugleiste anzeigen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Info ...</source>
        <translation>&amp;Info ...</translation>
    </message>
    <message>
        <source>&amp;Path/file to clipboard</source>
        <translation>&amp;Pfad/Datei in die Zwischenablage</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Open &amp;with ...</source>
        <translation>Öffnen &amp;mit ...</translation>
    </message>
    <message>
        <source>File name to clipboard</source>
        <translation>Dateiname in die Zwischenablage</translation>
    </message>
    <message>
        <source>&amp;Note to clipboard</source>
        <translation>&amp;Notiz in die Zwischenablage</translation>
    </message>
    <message>
        <source>&amp;Text to clipboard</source>
        <translation>&amp;Text in die Zwischenablage</translation>
    </message>
    <message>
        <source>Open link</source>
        <translation>Link öffnen</translation>
    </message>
    <message>
        <source>&amp;Update folder</source>
        <translation>Ordner a&amp;ktualisieren</translation>
    </message>
    <message>
        <source>&amp;Abort</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;OK and exit</source>
        <translation>&amp;OK und beenden</translation>
    </message>
    <message>
        <source>&amp;Delete all</source>
        <translation>Alles &amp;löschen</translation>
    </message>
</context>
<context>
    <name>CommandActions</name>
    <message>
        <source>%1 (not available in this version)</source>
        <translation>%1 (in dieser Version nicht verfügbar)</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>usage: tabulon [ARCHIVE]
       tabulon --version | --help

Tabulon keeps a catalogue of every file below one root folder: a note, a date, a size
text, up to ten tags and a long text per file.

ARCHIVE  the archive to open (the name of its settings file ARCHIVE.ini, without
         &quot;.ini&quot;); without it the archive opened last. An archive that does not exist
         yet is created: the program asks for its root folder.

Settings live in Tabulon.ini and ARCHIVE.ini beside the executable when that folder can
be written (portable use), otherwise in $XDG_CONFIG_HOME/Tabulon/ (by default
~/.config/Tabulon/). The catalogue itself, ARCHIVE.dbf with ARCHIVE.mdx, lies in the
archive&apos;s root folder.

Environment:
  XDG_CONFIG_HOME     where an installed copy keeps its settings
  LANGUAGE, LC_ALL, LC_MESSAGES, LANG
                      the language of the program and of its guide (Tabulon-&lt;code&gt;)
  QT_QPA_PLATFORM     the window system plug-in (offscreen runs without a display)
  TABULON_UNATTENDED  1: answer every question as Esc and report it on standard error,
                      for scripted runs without anyone at the screen

See also tabulon-cli(1) for the catalogue from scripts.
</source>
        <translation>Aufruf: tabulon [ARCHIV]
        tabulon --version | --help

Tabulon führt einen Katalog aller Dateien unterhalb eines Stammordners: je Datei eine
Notiz, ein Datum, einen Größentext, bis zu zehn Kennzeichen und einen Langtext.

ARCHIV   das zu öffnende Archiv (der Name seiner Einstellungsdatei ARCHIV.ini, ohne
         &quot;.ini&quot;); ohne Angabe das zuletzt geöffnete Archiv. Ein Archiv, das noch nicht
         existiert, wird angelegt: Das Programm fragt nach seinem Stammordner.

Die Einstellungen liegen in Tabulon.ini und ARCHIV.ini neben dem Programm, wenn dieser
Ordner beschreibbar ist (portable Nutzung), sonst in $XDG_CONFIG_HOME/Tabulon/
(standardmäßig ~/.config/Tabulon/). Der Katalog selbst, ARCHIV.dbf mit ARCHIV.mdx, liegt
im Stammordner des Archivs.

Umgebung:
  XDG_CONFIG_HOME     wo eine installierte Kopie ihre Einstellungen ablegt
  LANGUAGE, LC_ALL, LC_MESSAGES, LANG
                      die Sprache des Programms und seiner Anleitung (Tabulon-&lt;Code&gt;)
  QT_QPA_PLATFORM     das Plug-in des Fenstersystems (offscreen läuft ohne Bildschirm)
  TABULON_UNATTENDED  1: jede Frage wie mit Esc beantworten und das auf der
                      Standardfehlerausgabe melden, für Skriptläufe ohne Benutzer
                      am Bildschirm

Siehe auch tabulon-cli(1) für den Katalog aus Skripten.
</translation>
    </message>
    <message>
        <source>tabulon: unknown option %s (see tabulon --help)
</source>
        <translation>tabulon: unbekannte Option %s (siehe tabulon --help)
</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nein</translation>
    </message>
    <message>
        <source>Input</source>
        <translation>Eingabe</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Please wait ...</source>
        <translation>Bitte warten ...</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Bestätigung</translation>
    </message>
    <message>
        <source>Info ...</source>
        <translation>Info ...</translation>
    </message>
</context>
<context>
    <name>EditingCommands</name>
    <message>
        <source>The record of  &apos;%1&apos;  could not be written: %2</source>
        <translation>Der Datensatz von  &apos;%1&apos;  konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source><byte value="xd"/>The changes to it are not saved.</source>
        <translation><byte value="xd"/>Die Änderungen daran werden nicht gespeichert.</translation>
    </message>
    <message>
        <source>Delete file  &apos;%1&apos;  ?</source>
        <translation>Datei  &apos;%1&apos;  löschen?</translation>
    </message>
    <message>
        <source>File  &apos;%1&apos;  exists !<byte value="xd"/>Overwrite ?</source>
        <translation>Datei  &apos;%1&apos;  existiert bereits!<byte value="xd"/>Überschreiben?</translation>
    </message>
    <message>
        <source>File  &apos;%1&apos;  not exists !</source>
        <translation>Datei  &apos;%1&apos;  existiert nicht!</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>The text is not edited, so that it cannot be saved over.</source>
        <translation>%1<byte value="xd"/>Der Text wird nicht zum Bearbeiten geöffnet, damit die Datei nicht überschrieben werden kann.</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>The text stays in the text pane: press F6 to save it again, &quot;Save text as&quot; to keep it elsewhere, or F7 to drop it.</source>
        <translation>%1<byte value="xd"/>Der Text bleibt im Textbereich: Drücken Sie F6, um ihn erneut zu speichern, &quot;Text speichern unter&quot;, um ihn anderswo abzulegen, oder F7, um ihn zu verwerfen.</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>The notes stay in the catalogue, but the next update of the folder reads the old Descript.ion back over them.</source>
        <translation>%1<byte value="xd"/>Die Notizen bleiben im Katalog, aber die nächste Aktualisierung des Ordners überschreibt sie wieder mit der alten Descript.ion.</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>The folder was not updated, so that the old Descript.ion cannot replace the notes just confirmed.</source>
        <translation>%1<byte value="xd"/>Der Ordner wurde nicht aktualisiert, damit die alte Descript.ion die soeben bestätigten Notizen nicht ersetzen kann.</translation>
    </message>
    <message>
        <source>The catalogue could not be updated !</source>
        <translation>Der Katalog konnte nicht aktualisiert werden!</translation>
    </message>
    <message>
        <source>Text-Files (*.txt)</source>
        <translation>Textdateien (*.txt)</translation>
    </message>
    <message>
        <source>Text-files (*.txt)</source>
        <translation>Textdateien (*.txt)</translation>
    </message>
</context>
<context>
    <name>ErrorBox</name>
    <message>
        <source>Unknown failure</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>FileOps</name>
    <message>
        <source>File  &apos;%1&apos;  exists !<byte value="xd"/>Overwrite ?</source>
        <translation>Datei  &apos;%1&apos;  existiert bereits!<byte value="xd"/>Überschreiben?</translation>
    </message>
    <message>
        <source>Also copy the Info-file ?</source>
        <translation>Auch die Langtextdatei kopieren?</translation>
    </message>
    <message>
        <source>File  &apos;%1&apos;  could not be copied !</source>
        <translation>Datei  &apos;%1&apos;  konnte nicht kopiert werden!</translation>
    </message>
    <message>
        <source>A long text of that name lies in  &apos;%1&apos;, which the copy would take for its own.</source>
        <translation>In  &apos;%1&apos;  liegt ein Langtext dieses Namens, den die Kopie für ihren eigenen halten würde.</translation>
    </message>
    <message>
        <source><byte value="xd"/>It is the file itself.</source>
        <translation><byte value="xd"/>Es ist die Datei selbst.</translation>
    </message>
    <message>
        <source>File  &apos;%1&apos;  could not be moved !</source>
        <translation>Datei  &apos;%1&apos;  konnte nicht verschoben werden!</translation>
    </message>
    <message>
        <source>Destination and source are the same ...</source>
        <translation>Ziel und Quelle sind gleich ...</translation>
    </message>
    <message>
        <source>File  &apos;%1&apos;  was moved without its info file, which stays in  &apos;%2&apos; !</source>
        <translation>Datei  &apos;%1&apos;  wurde ohne ihre Langtextdatei verschoben, die in  &apos;%2&apos;  bleibt!</translation>
    </message>
    <message>
        <source>File  &apos;%1&apos;  was moved to  &apos;%2&apos;, but its record still names  &apos;%3&apos;: %4</source>
        <translation>Datei  &apos;%1&apos;  wurde nach  &apos;%2&apos;  verschoben, aber ihr Datensatz nennt noch  &apos;%3&apos;: %4</translation>
    </message>
    <message>
        <source>Folder  &apos;%1&apos;  could not be renamed !</source>
        <translation>Ordner  &apos;%1&apos;  konnte nicht umbenannt werden!</translation>
    </message>
    <message>
        <source>Folder  &apos;%1&apos;  was renamed to  &apos;%2&apos;, but not every record followed it: %3</source>
        <translation>Ordner  &apos;%1&apos;  wurde in  &apos;%2&apos;  umbenannt, aber nicht jeder Datensatz ist ihm gefolgt: %3</translation>
    </message>
    <message>
        <source>The records of %1 files name  &apos;%2&apos;  while the folder is  &apos;%3&apos;.</source>
        <translation>Die Datensätze von %1 Dateien nennen  &apos;%2&apos;, während der Ordner  &apos;%3&apos;  heißt.</translation>
    </message>
    <message>
        <source>Run the program  &apos;%1&apos;  ?<byte value="xd"/>Yes runs it, No opens it with its application, Esc leaves it.</source>
        <translation>Programm  &apos;%1&apos;  ausführen?<byte value="xd"/>Ja führt es aus, Nein öffnet es mit seiner Anwendung, Esc lässt es, wie es ist.</translation>
    </message>
</context>
<context>
    <name>FolderFileCommands</name>
    <message>
        <source>Search folder</source>
        <translation>Ordner suchen</translation>
    </message>
    <message>
        <source>File  &apos;%1&apos;  copy to ?</source>
        <translation>Datei  &apos;%1&apos;  kopieren nach?</translation>
    </message>
    <message>
        <source>File  &apos;%1&apos;  could not be moved !</source>
        <translation>Datei  &apos;%1&apos;  konnte nicht verschoben werden!</translation>
    </message>
    <message>
        <source>Create new folder ?<byte value="xd"/><byte value="xd"/>relative to the root folder.</source>
        <translation>Neuen Ordner anlegen?<byte value="xd"/><byte value="xd"/>relativ zum Stammordner.</translation>
    </message>
    <message>
        <source>Folder  &apos;%1&apos;  Rename to ?<byte value="xd"/><byte value="xd"/>relative to the root folder.</source>
        <translation>Ordner  &apos;%1&apos;  umbenennen in?<byte value="xd"/><byte value="xd"/>relativ zum Stammordner.</translation>
    </message>
    <message>
        <source>It is only up to 80 characters allowed !</source>
        <translation>Es sind höchstens 80 Zeichen erlaubt!</translation>
    </message>
</context>
<context>
    <name>FolderUpdateCommands</name>
    <message>
        <source>Update all folders ?</source>
        <translation>Alle Ordner aktualisieren?</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Vorwärts</translation>
    </message>
    <message>
        <source>Tabulon Help</source>
        <translation>Tabulon-Hilfe</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Notiz</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Kennzeichen</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
</context>
<context>
    <name>MoveFileWindow</name>
    <message>
        <source>Input</source>
        <translation>Eingabe</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Move file to ?</source>
        <translation>Datei verschieben nach?</translation>
    </message>
    <message>
        <source>relative to the root folder.</source>
        <translation>relativ zum Stammordner.</translation>
    </message>
    <message>
        <source>select also in the left folder list,</source>
        <translation>auch in der linken Ordnerliste wählbar,</translation>
    </message>
    <message>
        <source>and switch with Shift+TAB the windows !</source>
        <translation>und mit Umschalt+Tab zwischen den Fenstern wechseln!</translation>
    </message>
</context>
<context>
    <name>OpenWithDialog</name>
    <message>
        <source>Open with</source>
        <translation>Öffnen mit</translation>
    </message>
    <message>
        <source>Open  &apos;%1&apos;  with:</source>
        <translation>&apos;%1&apos;  öffnen mit:</translation>
    </message>
    <message>
        <source>Other &amp;program ...</source>
        <translation>Anderes &amp;Programm ...</translation>
    </message>
    <message>
        <source>Program</source>
        <translation>Programm</translation>
    </message>
</context>
<context>
    <name>Platform</name>
    <message>
        <source>it is a symbolic link, and files are never written through one</source>
        <translation>sie ist ein symbolischer Link, und durch Links wird nie geschrieben</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>sie ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>the file was replaced while it was being opened</source>
        <translation>die Datei wurde ersetzt, während sie geöffnet wurde</translation>
    </message>
    <message>
        <source>not a file</source>
        <translation>keine Datei</translation>
    </message>
    <message>
        <source>source and target are the same file</source>
        <translation>Quelle und Ziel sind dieselbe Datei</translation>
    </message>
    <message>
        <source>Unable to read %1</source>
        <translation>%1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>In %1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>the file could not be read</source>
        <translation>die Datei konnte nicht gelesen werden</translation>
    </message>
</context>
<context>
    <name>Print</name>
    <message>
        <source>The print margins leave less than one line on the page (top %1 mm and bottom %2 mm of %3 mm).</source>
        <translation>Die Druckränder lassen weniger als eine Zeile auf der Seite frei (oben %1 mm und unten %2 mm von %3 mm).</translation>
    </message>
    <message>
        <source>The print margins leave less than one column across the page (left %1 mm and right %2 mm of %3 mm).</source>
        <translation>Die Druckränder lassen weniger als eine Spalte in der Breite der Seite frei (links %1 mm und rechts %2 mm von %3 mm).</translation>
    </message>
    <message>
        <source>The printer could not start the job</source>
        <translation>Der Drucker konnte den Auftrag nicht beginnen</translation>
    </message>
    <message>
        <source>The printer refused page %1</source>
        <translation>Der Drucker hat Seite %1 abgelehnt</translation>
    </message>
    <message>
        <source>The printer could not finish the job</source>
        <translation>Der Drucker konnte den Auftrag nicht abschließen</translation>
    </message>
</context>
<context>
    <name>PrintCommands</name>
    <message>
        <source>The printer reported an error</source>
        <translation>Der Drucker hat einen Fehler gemeldet</translation>
    </message>
</context>
<context>
    <name>ProgramCommands</name>
    <message>
        <source>Tabulon %1 - the catalogue of your files with notes, tags and texts</source>
        <translation>Tabulon %1 - der Katalog Ihrer Dateien mit Notizen, Kennzeichen und Texten</translation>
    </message>
</context>
<context>
    <name>Progress</name>
    <message>
        <source>Reorganising the catalogue</source>
        <translation>Der Katalog wird reorganisiert</translation>
    </message>
    <message>
        <source>records</source>
        <translation>Datensätze</translation>
    </message>
    <message>
        <source>Reorganisation cancelled</source>
        <translation>Reorganisation abgebrochen</translation>
    </message>
    <message>
        <source>Search cancelled</source>
        <translation>Suche abgebrochen</translation>
    </message>
    <message>
        <source>Replacing tags</source>
        <translation>Kennzeichen werden ersetzt</translation>
    </message>
    <message>
        <source>Replace tags cancelled</source>
        <translation>Kennzeichen ersetzen abgebrochen</translation>
    </message>
    <message>
        <source>Printing the folder</source>
        <translation>Der Ordner wird gedruckt</translation>
    </message>
    <message>
        <source>Printing cancelled</source>
        <translation>Drucken abgebrochen</translation>
    </message>
    <message>
        <source>pages</source>
        <translation>Seiten</translation>
    </message>
    <message>
        <source>Updating all folders</source>
        <translation>Alle Ordner werden aktualisiert</translation>
    </message>
    <message>
        <source>folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Update all cancelled after %1 of %2 folders</source>
        <translation>Alle aktualisieren nach %1 von %2 Ordnern abgebrochen</translation>
    </message>
    <message>
        <source>Updating the folder</source>
        <translation>Der Ordner wird aktualisiert</translation>
    </message>
    <message>
        <source>Folder update cancelled</source>
        <translation>Ordneraktualisierung abgebrochen</translation>
    </message>
    <message>
        <source>The command was cancelled.</source>
        <translation>Der Befehl wurde abgebrochen.</translation>
    </message>
    <message>
        <source>%1
%2 of %3 %4</source>
        <translation>%1
%2 von %3 %4</translation>
    </message>
</context>
<context>
    <name>ReplaceTagsDialog</name>
    <message>
        <source>Tag  &apos;%1&apos;  is used by the filter !</source>
        <translation>Kennzeichen  &apos;%1&apos;  wird vom Filter verwendet!</translation>
    </message>
    <message>
        <source>Input</source>
        <translation>Eingabe</translation>
    </message>
    <message>
        <source>Replace tags  ?</source>
        <translation>Kennzeichen ersetzen?</translation>
    </message>
    <message>
        <source>all folders ?</source>
        <translation>alle Ordner?</translation>
    </message>
    <message>
        <source>from ---&gt; to:</source>
        <translation>von ---&gt; nach:</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
</context>
<context>
    <name>RootFolderDialog</name>
    <message>
        <source>Folder ?  (also relative f.e. &quot;Files\&quot;)</source>
        <translation>Ordner?  (auch relativ, z. B. &quot;Dateien\&quot;)</translation>
    </message>
    <message>
        <source>usb</source>
        <translation>usb</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Search folder</source>
        <translation>Ordner suchen</translation>
    </message>
    <message>
        <source>&amp;Unicode catalogue (UTF-8 names)</source>
        <translation>&amp;Unicode-Katalog (UTF-8-Namen)</translation>
    </message>
    <message>
        <source>files &amp;without extension too</source>
        <translation>auch Dateien ohne &amp;Endung</translation>
    </message>
</context>
<context>
    <name>Scan</name>
    <message>
        <source>read</source>
        <translation>gelesen</translation>
    </message>
    <message>
        <source>it is too large</source>
        <translation>sie ist zu groß</translation>
    </message>
    <message>
        <source>Folder  &apos;%1&apos;  is not below the root</source>
        <translation>Ordner  &apos;%1&apos;  liegt nicht unterhalb des Stammordners</translation>
    </message>
    <message>
        <source>Folder  &apos;%1&apos;  cannot be read: %2</source>
        <translation>Ordner  &apos;%1&apos;  kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Folder  &apos;%1&apos;  has a path too long for the catalogue !</source>
        <translation>Ordner  &apos;%1&apos;  hat einen zu langen Pfad für den Katalog!</translation>
    </message>
    <message>
        <source>Folder  &apos;%1&apos;  could not be read to its end</source>
        <translation>Ordner  &apos;%1&apos;  konnte nicht bis zum Ende gelesen werden</translation>
    </message>
    <message>
        <source>No parent node</source>
        <translation>Kein übergeordneter Knoten</translation>
    </message>
    <message>
        <source>Folder  &apos;%1&apos;  cannot be catalogued</source>
        <translation>Ordner  &apos;%1&apos;  kann nicht katalogisiert werden</translation>
    </message>
    <message>
        <source>Folder  &apos;%1&apos;  could not be created</source>
        <translation>Ordner  &apos;%1&apos;  konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>Record %1 cannot be read</source>
        <translation>Datensatz %1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Info file</source>
        <translation>Langtextdatei</translation>
    </message>
    <message>
        <source>Info file without a path</source>
        <translation>Langtextdatei ohne Pfad</translation>
    </message>
    <message>
        <source>its name is not valid UTF-8</source>
        <translation>der Name ist kein gültiges UTF-8</translation>
    </message>
    <message>
        <source>its name holds a control character (a newline or tab)</source>
        <translation>der Name enthält ein Steuerzeichen (einen Zeilenumbruch oder Tabulator)</translation>
    </message>
    <message>
        <source>its name holds a backslash</source>
        <translation>der Name enthält einen Backslash</translation>
    </message>
    <message>
        <source>its name holds a character outside Windows-1252</source>
        <translation>der Name enthält ein Zeichen außerhalb von Windows-1252</translation>
    </message>
    <message>
        <source>its name is longer than 80 characters</source>
        <translation>der Name ist länger als 80 Zeichen</translation>
    </message>
    <message>
        <source>its name ends in a blank</source>
        <translation>der Name endet auf ein Leerzeichen</translation>
    </message>
    <message>
        <source>it is a link that leads nowhere</source>
        <translation>es ist ein Link, der ins Leere führt</translation>
    </message>
    <message>
        <source>it is no regular file (a pipe, socket or device)</source>
        <translation>es ist keine gewöhnliche Datei (eine Pipe, ein Socket oder ein Gerät)</translation>
    </message>
    <message>
        <source>its path is too long for the catalogue (over 80 characters)</source>
        <translation>der Pfad ist zu lang für den Katalog (über 80 Zeichen)</translation>
    </message>
    <message>
        <source>%1  &apos;%2%3&apos;  cannot be catalogued: %4</source>
        <translation>%1  &apos;%2%3&apos;  kann nicht katalogisiert werden: %4</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>1 entry could not be catalogued:</source>
        <translation>1 Eintrag konnte nicht katalogisiert werden:</translation>
    </message>
    <message>
        <source>%1 entries could not be catalogued:</source>
        <translation>%1 Einträge konnten nicht katalogisiert werden:</translation>
    </message>
    <message>
        <source><byte value="xd"/>... and %1 more.</source>
        <translation><byte value="xd"/>... und %1 weitere.</translation>
    </message>
    <message>
        <source>%1  &apos;%2&apos;  could not be %3: %4</source>
        <translation>%1  &apos;%2&apos;  konnte nicht %3 werden: %4</translation>
    </message>
    <message>
        <source>it is larger than %1 MB</source>
        <translation>sie ist größer als %1 MB</translation>
    </message>
    <message>
        <source>written</source>
        <translation>geschrieben</translation>
    </message>
    <message>
        <source>deleted</source>
        <translation>gelöscht</translation>
    </message>
    <message>
        <source>The catalogue could not be updated !</source>
        <translation>Der Katalog konnte nicht aktualisiert werden!</translation>
    </message>
    <message>
        <source><byte value="xd"/>%1 more folders could not be updated.</source>
        <translation><byte value="xd"/>%1 weitere Ordner konnten nicht aktualisiert werden.</translation>
    </message>
    <message>
        <source>its name is longer than 80 bytes in UTF-8</source>
        <translation>der Name ist länger als 80 Bytes in UTF-8</translation>
    </message>
    <message>
        <source>its path is too long for the catalogue (over 80 bytes in UTF-8)</source>
        <translation>der Pfad ist zu lang für den Katalog (über 80 Bytes in UTF-8)</translation>
    </message>
    <message>
        <source>its name differs only in case from &apos;%1&apos;</source>
        <translation>der Name unterscheidet sich nur in Groß- und Kleinschreibung von &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Some characters of the text cannot be written in  &apos;%1&apos;  and were saved as &quot;?&quot; !</source>
        <translation>Einige Zeichen des Textes lassen sich in  &apos;%1&apos;  nicht schreiben und wurden als &quot;?&quot; gespeichert!</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>&amp;View - F5</source>
        <translation>A&amp;nsicht - F5</translation>
    </message>
    <message>
        <source>&amp;Parameters - F6</source>
        <translation>&amp;Parameter - F6</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Background colors</source>
        <translation>Hintergrundfarben</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Function keys</source>
        <translation>Funktionstasten</translation>
    </message>
    <message>
        <source>Fonts</source>
        <translation>Schriftarten</translation>
    </message>
    <message>
        <source>Standard PS</source>
        <translation>Standard PS</translation>
    </message>
    <message>
        <source>Standard FS</source>
        <translation>Standard FS</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>(each pause at most %1 ms)</source>
        <translation>(jede Pause höchstens %1 ms)</translation>
    </message>
    <message>
        <source>Viewer:</source>
        <translation>Betrachter:</translation>
    </message>
    <message>
        <source>(relative: ..\ or %usb%)</source>
        <translation>(relativ: ..\ oder %usb%)</translation>
    </message>
    <message>
        <source>Extensions:</source>
        <translation>Endungen:</translation>
    </message>
    <message>
        <source>Parameter:</source>
        <translation>Parameter:</translation>
    </message>
    <message>
        <source>Delay:</source>
        <translation>Verzögerung:</translation>
    </message>
    <message>
        <source>Print page</source>
        <translation>Druckseite</translation>
    </message>
    <message>
        <source>top magin:</source>
        <translation>Rand oben:</translation>
    </message>
    <message>
        <source>left margin:</source>
        <translation>Rand links:</translation>
    </message>
    <message>
        <source>bottom margin:</source>
        <translation>Rand unten:</translation>
    </message>
    <message>
        <source>right margin:</source>
        <translation>Rand rechts:</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>Print fonts</source>
        <translation>Druckschrift</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>expanded</source>
        <translation>aufgeklappt</translation>
    </message>
    <message>
        <source>collapsed</source>
        <translation>zugeklappt</translation>
    </message>
    <message>
        <source>the last used</source>
        <translation>das zuletzt benutzte</translation>
    </message>
    <message>
        <source>always the same</source>
        <translation>immer dasselbe</translation>
    </message>
    <message>
        <source>Folder list:</source>
        <translation>Ordnerliste:</translation>
    </message>
    <message>
        <source>Folder-info-file:</source>
        <translation>Ordner-Infodatei:</translation>
    </message>
    <message>
        <source>Delete empty directories ?</source>
        <translation>Leere Ordner löschen?</translation>
    </message>
    <message>
        <source>Search in text ?</source>
        <translation>Im Text suchen?</translation>
    </message>
    <message>
        <source>File manager:</source>
        <translation>Dateimanager:</translation>
    </message>
    <message>
        <source>Grid-Lines:</source>
        <translation>Gitterlinien:</translation>
    </message>
    <message>
        <source>Start with archiv:</source>
        <translation>Starten mit Archiv:</translation>
    </message>
    <message>
        <source>Files without extension ?</source>
        <translation>Dateien ohne Endung?</translation>
    </message>
</context>
<context>
    <name>Store</name>
    <message>
        <source>File  &apos;%1&apos;  could not be renamed !</source>
        <translation>Datei  &apos;%1&apos;  konnte nicht umbenannt werden!</translation>
    </message>
    <message>
        <source>Table &quot;%1&quot; does not exist.</source>
        <translation>Tabelle &quot;%1&quot; existiert nicht.</translation>
    </message>
    <message>
        <source>Table &quot;%1&quot; is in use by another program.</source>
        <translation>Tabelle &quot;%1&quot; wird von einem anderen Programm benutzt.</translation>
    </message>
    <message>
        <source>Table &quot;%1&quot; is not opened: %2.</source>
        <translation>Tabelle &quot;%1&quot; wird nicht geöffnet: %2.</translation>
    </message>
    <message>
        <source>Cannot open &quot;%1&quot;: %2</source>
        <translation>&quot;%1&quot; kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Table &quot;%1&quot; already exists.</source>
        <translation>Tabelle &quot;%1&quot; existiert bereits.</translation>
    </message>
    <message>
        <source>Cannot create &quot;%1&quot;: the folder does not exist.</source>
        <translation>&quot;%1&quot; kann nicht angelegt werden: Der Ordner existiert nicht.</translation>
    </message>
    <message>
        <source>Table &quot;%1&quot; has no record %2.</source>
        <translation>Tabelle &quot;%1&quot; hat keinen Datensatz %2.</translation>
    </message>
    <message>
        <source>Table &quot;%1&quot; ends inside record %2.</source>
        <translation>Tabelle &quot;%1&quot; endet innerhalb von Datensatz %2.</translation>
    </message>
    <message>
        <source>Table &quot;%1&quot; cannot hold more records.</source>
        <translation>Tabelle &quot;%1&quot; kann keine weiteren Datensätze aufnehmen.</translation>
    </message>
    <message>
        <source>Cannot %1 &quot;%2&quot;: %3</source>
        <translation>&quot;%2&quot; kann nicht %1 werden: %3</translation>
    </message>
    <message>
        <source>read at offset %1 of</source>
        <translation>an Position %1 gelesen</translation>
    </message>
    <message>
        <source>write at offset %1 of</source>
        <translation>an Position %1 beschrieben</translation>
    </message>
    <message>
        <source>shorten</source>
        <translation>gekürzt</translation>
    </message>
    <message>
        <source>flush</source>
        <translation>auf den Datenträger geschrieben</translation>
    </message>
    <message>
        <source>Table &quot;%1&quot; cannot be used: %2.</source>
        <translation>Tabelle &quot;%1&quot; kann nicht verwendet werden: %2.</translation>
    </message>
    <message>
        <source>field %1 has no name (offset %2)</source>
        <translation>Feld %1 hat keinen Namen (Position %2)</translation>
    </message>
    <message>
        <source>field %1 has type &apos;%2&apos;, which is not supported</source>
        <translation>Feld %1 hat den Typ &apos;%2&apos;, der nicht unterstützt wird</translation>
    </message>
    <message>
        <source>field %1 has the impossible width %2</source>
        <translation>Feld %1 hat die unmögliche Breite %2</translation>
    </message>
    <message>
        <source>Table &quot;%1&quot; cannot be created: %2.</source>
        <translation>Tabelle &quot;%1&quot; kann nicht angelegt werden: %2.</translation>
    </message>
    <message>
        <source>a table needs 1 to %1 fields</source>
        <translation>eine Tabelle braucht 1 bis %1 Felder</translation>
    </message>
    <message>
        <source>field name &quot;%1&quot; must have 1 to 10 characters</source>
        <translation>Feldname &quot;%1&quot; muss 1 bis 10 Zeichen haben</translation>
    </message>
    <message>
        <source>field name &quot;%1&quot; is not a dBase name</source>
        <translation>Feldname &quot;%1&quot; ist kein dBase-Name</translation>
    </message>
    <message>
        <source>field %1 appears twice</source>
        <translation>Feld %1 kommt zweimal vor</translation>
    </message>
    <message>
        <source>field %1 has an unsupported type or width</source>
        <translation>Feld %1 hat einen Typ oder eine Breite, die nicht unterstützt wird</translation>
    </message>
    <message>
        <source>records would be longer than 65535 bytes</source>
        <translation>Datensätze wären länger als 65535 Bytes</translation>
    </message>
    <message>
        <source>field %1 (%2) is missing</source>
        <translation>Feld %1 (%2) fehlt</translation>
    </message>
    <message>
        <source>field %1 (%2) is one too many</source>
        <translation>Feld %1 (%2) ist eines zu viel</translation>
    </message>
    <message>
        <source>field %1 is %2 where %3 belongs</source>
        <translation>Feld %1 ist %2, wo %3 hingehört</translation>
    </message>
    <message>
        <source>its fields are not those of a catalogue: %1</source>
        <translation>ihre Felder sind nicht die eines Katalogs: %1</translation>
    </message>
    <message>
        <source>the file has only %1 bytes, too few for a dBase table</source>
        <translation>die Datei hat nur %1 Bytes, zu wenige für eine dBase-Tabelle</translation>
    </message>
    <message>
        <source>version byte 0x%1 is not that of a dBase III table</source>
        <translation>Versionsbyte 0x%1 ist nicht das einer dBase-III-Tabelle</translation>
    </message>
    <message>
        <source>header length %1 leaves no room for a field</source>
        <translation>Kopflänge %1 lässt keinen Platz für ein Feld</translation>
    </message>
    <message>
        <source>header length %1 exceeds the file length %2 (truncated header)</source>
        <translation>Kopflänge %1 übersteigt die Dateilänge %2 (abgeschnittener Kopf)</translation>
    </message>
    <message>
        <source>the header declares no fields</source>
        <translation>der Kopf deklariert keine Felder</translation>
    </message>
    <message>
        <source>record length %1 in the header disagrees with the fields, which need %2</source>
        <translation>Datensatzlänge %1 im Kopf passt nicht zu den Feldern, die %2 brauchen</translation>
    </message>
    <message>
        <source>The table is not open.</source>
        <translation>Die Tabelle ist nicht geöffnet.</translation>
    </message>
    <message>
        <source>The rebuilt index &quot;%1&quot; does not hold the tags it was built with.</source>
        <translation>Der neu aufgebaute Index &quot;%1&quot; enthält nicht die Index-Tags, mit denen er aufgebaut wurde.</translation>
    </message>
    <message>
        <source>A new record was refused.</source>
        <translation>Ein neuer Datensatz wurde abgelehnt.</translation>
    </message>
    <message>
        <source>There is no record to edit.</source>
        <translation>Es gibt keinen Datensatz zum Bearbeiten.</translation>
    </message>
    <message>
        <source>Table &quot;%1&quot;: a record is being posted.</source>
        <translation>Tabelle &quot;%1&quot;: Ein Datensatz wird gerade gespeichert.</translation>
    </message>
    <message>
        <source>There is no record to delete.</source>
        <translation>Es gibt keinen Datensatz zum Löschen.</translation>
    </message>
    <message>
        <source>Table &quot;%1&quot; has no order &quot;%2&quot;.</source>
        <translation>Tabelle &quot;%1&quot; hat keine Sortierung &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>A range needs an order; table &quot;%1&quot; is in physical order.</source>
        <translation>Ein Bereich braucht eine Sortierung; Tabelle &quot;%1&quot; steht in physischer Reihenfolge.</translation>
    </message>
    <message>
        <source>Record %1 of table &quot;%2&quot; is not visible.</source>
        <translation>Datensatz %1 der Tabelle &quot;%2&quot; ist nicht sichtbar.</translation>
    </message>
    <message>
        <source>Packing &quot;%1&quot; was interrupted at step %2.</source>
        <translation>Das Packen von &quot;%1&quot; wurde bei Schritt %2 unterbrochen.</translation>
    </message>
    <message>
        <source>replace</source>
        <translation>ersetzt</translation>
    </message>
    <message>
        <source>Cannot create &quot;%1&quot;: %2</source>
        <translation>&quot;%1&quot; kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>The new index &quot;%1&quot; lacks its tags.</source>
        <translation>Dem neuen Index &quot;%1&quot; fehlen seine Index-Tags.</translation>
    </message>
    <message>
        <source>Index file  &apos;%1&apos;  cannot be used: %2.</source>
        <translation>Indexdatei  &apos;%1&apos;  kann nicht verwendet werden: %2.</translation>
    </message>
    <message>
        <source>order %1 holds an entry for record %2 of %3</source>
        <translation>Sortierung %1 enthält einen Eintrag für Datensatz %2 von %3</translation>
    </message>
    <message>
        <source>order %1 files record %2 under &quot;%3&quot;, but its key is &quot;%4&quot;</source>
        <translation>Sortierung %1 führt Datensatz %2 unter &quot;%3&quot;, aber sein Schlüssel ist &quot;%4&quot;</translation>
    </message>
    <message>
        <source>order %1 has no entry for record %2 under its key</source>
        <translation>Sortierung %1 hat keinen Eintrag für Datensatz %2 unter dessen Schlüssel</translation>
    </message>
    <message>
        <source>%1 A walk over order %2 of &quot;%3&quot; has handed out a wrong set of records; the index has been rebuilt: repeat the walk.</source>
        <translation>%1 Ein Durchlauf über Sortierung %2 von &quot;%3&quot; hat eine falsche Menge von Datensätzen geliefert; der Index wurde neu aufgebaut: Wiederholen Sie den Durchlauf.</translation>
    </message>
    <message>
        <source>order %1 holds %2 entries for %3 records</source>
        <translation>Sortierung %1 enthält %2 Einträge für %3 Datensätze</translation>
    </message>
    <message>
        <source>It met %1 records where %2 lie on its way.</source>
        <translation>Der Durchlauf traf auf %1 Datensätze, wo %2 auf seinem Weg liegen.</translation>
    </message>
    <message>
        <source>%1 It is rebuilt from the table.</source>
        <translation>%1 Der Index wird aus der Tabelle neu aufgebaut.</translation>
    </message>
    <message>
        <source>The index &quot;%1&quot; must be rebuilt and cannot be: %2 The table is read without it and cannot change; the index will be rebuilt when there is room.</source>
        <translation>Der Index &quot;%1&quot; muss neu aufgebaut werden, lässt sich aber nicht neu aufbauen: %2 Die Tabelle wird ohne ihn gelesen und kann nicht geändert werden; der Index wird neu aufgebaut, sobald Platz ist.</translation>
    </message>
    <message>
        <source>Table &quot;%1&quot; cannot change until its index is rebuilt: %2</source>
        <translation>Tabelle &quot;%1&quot; kann nicht geändert werden, bis ihr Index neu aufgebaut ist: %2</translation>
    </message>
    <message>
        <source>a number is missing at position %1</source>
        <translation>an Position %1 fehlt eine Zahl</translation>
    </message>
    <message>
        <source>it is nested too deeply</source>
        <translation>er ist zu tief verschachtelt</translation>
    </message>
    <message>
        <source>dates cannot be joined with +; use DTOS</source>
        <translation>Datumswerte lassen sich nicht mit + verbinden; verwenden Sie DTOS</translation>
    </message>
    <message>
        <source>it ends too early</source>
        <translation>er endet zu früh</translation>
    </message>
    <message>
        <source>a ) is missing at position %1</source>
        <translation>an Position %1 fehlt eine )</translation>
    </message>
    <message>
        <source>unexpected &apos;%1&apos; at position %2</source>
        <translation>unerwartetes &apos;%1&apos; an Position %2</translation>
    </message>
    <message>
        <source>a string constant is not closed</source>
        <translation>eine Zeichenkettenkonstante ist nicht geschlossen</translation>
    </message>
    <message>
        <source>there is no field %1</source>
        <translation>es gibt kein Feld %1</translation>
    </message>
    <message>
        <source>UPPER needs a text</source>
        <translation>UPPER braucht einen Text</translation>
    </message>
    <message>
        <source>DTOS needs a date field</source>
        <translation>DTOS braucht ein Datumsfeld</translation>
    </message>
    <message>
        <source>the function %1 is not supported</source>
        <translation>die Funktion %1 wird nicht unterstützt</translation>
    </message>
    <message>
        <source>SUBSTR needs a text</source>
        <translation>SUBSTR braucht einen Text</translation>
    </message>
    <message>
        <source>SUBSTR needs a start position</source>
        <translation>SUBSTR braucht eine Startposition</translation>
    </message>
    <message>
        <source>SUBSTR positions count from 1</source>
        <translation>SUBSTR-Positionen zählen ab 1</translation>
    </message>
    <message>
        <source>unexpected text at position %1</source>
        <translation>unerwarteter Text an Position %1</translation>
    </message>
    <message>
        <source>a key must be a text; use DTOS for dates</source>
        <translation>ein Schlüssel muss ein Text sein; verwenden Sie DTOS für Datumswerte</translation>
    </message>
    <message>
        <source>Index expression &quot;%1&quot; cannot be evaluated: %2.</source>
        <translation>Indexausdruck &quot;%1&quot; kann nicht ausgewertet werden: %2.</translation>
    </message>
    <message>
        <source>Index result for &quot;%1&quot; too long, &gt;100 characters (%2).</source>
        <translation>Indexergebnis für &quot;%1&quot; zu lang, &gt;100 Zeichen (%2).</translation>
    </message>
    <message>
        <source>Index expression &quot;%1&quot; cannot be evaluated: its result is empty.</source>
        <translation>Indexausdruck &quot;%1&quot; kann nicht ausgewertet werden: Sein Ergebnis ist leer.</translation>
    </message>
    <message>
        <source>More keys than counted for &quot;%1&quot;.</source>
        <translation>Mehr Schlüssel als für &quot;%1&quot; gezählt.</translation>
    </message>
    <message>
        <source>An index holds 1 to %1 tags, not %2.</source>
        <translation>Ein Index enthält 1 bis %1 Index-Tags, nicht %2.</translation>
    </message>
    <message>
        <source>The tag name &quot;%1&quot; is not 1 to 10 characters.</source>
        <translation>Der Index-Tag-Name &quot;%1&quot; hat nicht 1 bis 10 Zeichen.</translation>
    </message>
    <message>
        <source>The expression of tag &quot;%1&quot; is not 1 to 220 characters.</source>
        <translation>Der Ausdruck des Index-Tags &quot;%1&quot; hat nicht 1 bis 220 Zeichen.</translation>
    </message>
    <message>
        <source>The key length %1 of tag &quot;%2&quot; is not 1 to %3.</source>
        <translation>Die Schlüssellänge %1 des Index-Tags &quot;%2&quot; liegt nicht zwischen 1 und %3.</translation>
    </message>
    <message>
        <source>The keys given for tag &quot;%1&quot; do not match its key length.</source>
        <translation>Die für Index-Tag &quot;%1&quot; gelieferten Schlüssel passen nicht zu seiner Schlüssellänge.</translation>
    </message>
    <message>
        <source>The index would hold more than 2 TB.</source>
        <translation>Der Index würde mehr als 2 TB umfassen.</translation>
    </message>
    <message>
        <source>The keys given for tag &quot;%1&quot; include record number 0.</source>
        <translation>Die für Index-Tag &quot;%1&quot; gelieferten Schlüssel enthalten die Datensatznummer 0.</translation>
    </message>
    <message>
        <source>Keys were gathered for %1 tags, not %2.</source>
        <translation>Schlüssel wurden für %1 Index-Tags gesammelt, nicht für %2.</translation>
    </message>
    <message>
        <source>Index file  &apos;%1&apos;  cannot be written: %2.</source>
        <translation>Indexdatei  &apos;%1&apos;  kann nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <source>Index file  &apos;%1&apos;  is not open.</source>
        <translation>Indexdatei  &apos;%1&apos;  ist nicht geöffnet.</translation>
    </message>
    <message>
        <source>Index file  &apos;%1&apos;  has no tag number %2.</source>
        <translation>Indexdatei  &apos;%1&apos;  hat kein Index-Tag mit der Nummer %2.</translation>
    </message>
    <message>
        <source>Index file  &apos;%1&apos;  does not exist.</source>
        <translation>Indexdatei  &apos;%1&apos;  existiert nicht.</translation>
    </message>
    <message>
        <source>Index file  &apos;%1&apos;  cannot be opened: %2.</source>
        <translation>Indexdatei  &apos;%1&apos;  kann nicht geöffnet werden: %2.</translation>
    </message>
    <message>
        <source>the file is shorter than its header</source>
        <translation>die Datei ist kürzer als ihr Kopf</translation>
    </message>
    <message>
        <source>version byte %1 is not that of a dBase IV index</source>
        <translation>Versionsbyte %1 ist nicht das eines dBase-IV-Index</translation>
    </message>
    <message>
        <source>block size %1 pages / %2 bytes is not supported</source>
        <translation>Blockgröße %1 Seiten / %2 Bytes wird nicht unterstützt</translation>
    </message>
    <message>
        <source>tag entries of %1 bytes are not supported</source>
        <translation>Index-Tag-Einträge von %1 Bytes werden nicht unterstützt</translation>
    </message>
    <message>
        <source>%1 tags are more than a tag table holds</source>
        <translation>%1 Index-Tags sind mehr, als eine Index-Tag-Tabelle fasst</translation>
    </message>
    <message>
        <source>its page count %1 does not match its length of %2 bytes</source>
        <translation>ihre Seitenzahl %1 passt nicht zu ihrer Länge von %2 Bytes</translation>
    </message>
    <message>
        <source>it was not closed properly after its last change</source>
        <translation>sie wurde nach ihrer letzten Änderung nicht ordnungsgemäß geschlossen</translation>
    </message>
    <message>
        <source>tag %1 has a name without an end</source>
        <translation>Index-Tag %1 hat einen Namen ohne Ende</translation>
    </message>
    <message>
        <source>tag %1 (&quot;%2&quot;)</source>
        <translation>Index-Tag %1 (&quot;%2&quot;)</translation>
    </message>
    <message>
        <source>the header of %1 lies outside the file</source>
        <translation>der Kopf von %1 liegt außerhalb der Datei</translation>
    </message>
    <message>
        <source>%1 is descending or unique, which is not supported</source>
        <translation>%1 ist absteigend oder eindeutig, was nicht unterstützt wird</translation>
    </message>
    <message>
        <source>%1 does not have character keys</source>
        <translation>%1 hat keine Zeichenschlüssel</translation>
    </message>
    <message>
        <source>%1 has a FOR condition, which is not supported</source>
        <translation>%1 hat eine FOR-Bedingung, was nicht unterstützt wird</translation>
    </message>
    <message>
        <source>%1 has key length %2 and item length %3</source>
        <translation>%1 hat die Schlüssellänge %2 und die Eintragslänge %3</translation>
    </message>
    <message>
        <source>the root of %1 lies outside the file</source>
        <translation>die Wurzel von %1 liegt außerhalb der Datei</translation>
    </message>
    <message>
        <source>the expression of %1 has no end</source>
        <translation>der Ausdruck von %1 hat kein Ende</translation>
    </message>
    <message>
        <source>a change failed half way, so it must be rebuilt</source>
        <translation>eine Änderung ist auf halbem Weg gescheitert, daher muss sie neu aufgebaut werden</translation>
    </message>
    <message>
        <source>Index file  &apos;%1&apos;  : %2 at offset %3 failed.</source>
        <translation>Indexdatei  &apos;%1&apos;  : %2 an Position %3 fehlgeschlagen.</translation>
    </message>
    <message>
        <source>reading past the end</source>
        <translation>Lesen über das Ende hinaus</translation>
    </message>
    <message>
        <source>&quot;%1&quot; ends at offset %2 inside a run.</source>
        <translation>&quot;%1&quot; endet an Position %2 innerhalb eines Laufs.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds a run that does not read back.</source>
        <translation>&quot;%1&quot; enthält einen Lauf, der sich nicht zurücklesen lässt.</translation>
    </message>
    <message>
        <source>tag &quot;%1&quot; points to page %2, outside the file</source>
        <translation>Index-Tag &quot;%1&quot; verweist auf Seite %2, außerhalb der Datei</translation>
    </message>
    <message>
        <source>the node at page %1 claims %2 entries, more than %3 fit</source>
        <translation>der Knoten auf Seite %1 gibt %2 Einträge an, mehr als %3 hineinpassen</translation>
    </message>
    <message>
        <source>tag &quot;%1&quot; is deeper than %2 levels (a cycle of pages)</source>
        <translation>Index-Tag &quot;%1&quot; ist tiefer als %2 Ebenen (ein Zyklus von Seiten)</translation>
    </message>
    <message>
        <source>tag &quot;%1&quot; has a run of empty leaves</source>
        <translation>Index-Tag &quot;%1&quot; hat eine Folge leerer Blätter</translation>
    </message>
    <message>
        <source>a leaf of tag &quot;%1&quot; changed under a cursor</source>
        <translation>ein Blatt von Index-Tag &quot;%1&quot; hat sich unter einem Cursor geändert</translation>
    </message>
    <message>
        <source>the leaf at page %1 of tag &quot;%2&quot; holds an entry for record 0</source>
        <translation>das Blatt auf Seite %1 von Index-Tag &quot;%2&quot; enthält einen Eintrag für Datensatz 0</translation>
    </message>
    <message>
        <source>the entries of tag &quot;%1&quot; are out of order at page %2</source>
        <translation>die Einträge von Index-Tag &quot;%1&quot; stehen auf Seite %2 nicht in der richtigen Reihenfolge</translation>
    </message>
    <message>
        <source>a search in tag &quot;%1&quot; lands out of key order</source>
        <translation>eine Suche in Index-Tag &quot;%1&quot; landet außerhalb der Schlüsselreihenfolge</translation>
    </message>
    <message>
        <source>The index cursor is not on an entry.</source>
        <translation>Der Index-Cursor steht auf keinem Eintrag.</translation>
    </message>
    <message>
        <source>Index file  &apos;%1&apos;  has reached its largest size.</source>
        <translation>Indexdatei  &apos;%1&apos;  hat ihre Höchstgröße erreicht.</translation>
    </message>
    <message>
        <source>The keys given for tag &quot;%1&quot; do not match it.</source>
        <translation>Die für Index-Tag &quot;%1&quot; gelieferten Schlüssel passen nicht dazu.</translation>
    </message>
    <message>
        <source>Record numbers start at 1.</source>
        <translation>Datensatznummern beginnen bei 1.</translation>
    </message>
    <message>
        <source>tag &quot;%1&quot; changed shape during an insert</source>
        <translation>Index-Tag &quot;%1&quot; hat beim Einfügen seine Gestalt geändert</translation>
    </message>
    <message>
        <source>Index file  &apos;%1&apos;  : tag &quot;%2&quot; has no entry for record %3.</source>
        <translation>Indexdatei  &apos;%1&apos;  : Index-Tag &quot;%2&quot; hat keinen Eintrag für Datensatz %3.</translation>
    </message>
    <message>
        <source>tag &quot;%1&quot; changed shape during a removal</source>
        <translation>Index-Tag &quot;%1&quot; hat beim Entfernen seine Gestalt geändert</translation>
    </message>
    <message>
        <source>tag &quot;%1&quot; is deeper than %2 levels</source>
        <translation>Index-Tag &quot;%1&quot; ist tiefer als %2 Ebenen</translation>
    </message>
</context>
<context>
    <name>TagListEditor</name>
    <message>
        <source>Tags - Exit with ESC</source>
        <translation>Kennzeichen - Beenden mit Esc</translation>
    </message>
    <message>
        <source>Save changes ?</source>
        <translation>Änderungen speichern?</translation>
    </message>
</context>
<context>
    <name>ViewsPort</name>
    <message>
        <source>Operation failed</source>
        <translation>Vorgang fehlgeschlagen</translation>
    </message>
</context>
</TS>
