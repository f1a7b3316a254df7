<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="status.preparing">
        <source>Starting…</source>
        <translation>Starting…</translation>
    </message>
    <message id="status.active">
        <source>Active: new windows open on the monitor under the pointer</source>
        <translation>Active: new windows open on the monitor under the pointer</translation>
    </message>
    <message id="status.paused">
        <source>Paused: new windows stay where they open</source>
        <translation>Paused: new windows stay where they open</translation>
    </message>
    <message id="status.permissionMissing">
        <source>No access to the X display: windows are not moved</source>
        <translation>No access to the X display: windows are not moved</translation>
    </message>
    <message id="lastAction.none">
        <source>No window has been moved yet.</source>
        <translation>No window has been moved yet.</translation>
    </message>
    <message id="lastAction.moved">
        <source>Moved a window of %1 to %2.</source>
        <translation>Moved a window of %1 to %2.</translation>
    </message>
    <message id="Tarnwick">
        <source>Tarnwick</source>
        <translation>Tarnwick</translation>
    </message>
    <message id="placement.toggle">
        <source>Move New Windows to the Pointer's Monitor</source>
        <translation>Move New Windows to the Pointer's Monitor</translation>
    </message>
    <message id="permission.allow">
        <source>Check Display Access</source>
        <translation>Check Display Access</translation>
    </message>
    <message id="about.title">
        <source>About Tarnwick</source>
        <translation>About Tarnwick</translation>
    </message>
    <message id="menu.settings">
        <source>Settings…</source>
        <translation>Settings…</translation>
    </message>
    <message id="menu.quit">
        <source>Quit Tarnwick</source>
        <translation>Quit Tarnwick</translation>
    </message>
    <message id="settings.general">
        <source>General</source>
        <translation>General</translation>
    </message>
    <message id="settings.help">
        <source>Help</source>
        <translation>Help</translation>
    </message>
    <message id="settings.noTray">
        <source>Your desktop has no system tray, so Tarnwick shows this window instead of a tray icon. Closing it quits Tarnwick.</source>
        <translation>Your desktop has no system tray, so Tarnwick shows this window instead of a tray icon. Closing it quits Tarnwick.</translation>
    </message>
    <message id="placement.header">
        <source>Window Placement</source>
        <translation>Window Placement</translation>
    </message>
    <message id="placement.hint">
        <source>When on, each new window is moved to the monitor under the mouse pointer.</source>
        <translation>When on, each new window is moved to the monitor under the mouse pointer.</translation>
    </message>
    <message id="loginItem.header">
        <source>Startup</source>
        <translation>Startup</translation>
    </message>
    <message id="loginItem.toggle">
        <source>Start Tarnwick at Login</source>
        <translation>Start Tarnwick at Login</translation>
    </message>
    <message id="loginItem.hint">
        <source>When on, Tarnwick starts by itself when you log in to your desktop.</source>
        <translation>When on, Tarnwick starts by itself when you log in to your desktop.</translation>
    </message>
    <message id="loginItem.approvalRequired">
        <source>The autostart entry is there, but your desktop has switched it off.</source>
        <translation>The autostart entry is there, but your desktop has switched it off.</translation>
    </message>
    <message id="loginItem.openSettings">
        <source>Open Autostart Folder</source>
        <translation>Open Autostart Folder</translation>
    </message>
    <message id="loginItem.footer">
        <source>Tarnwick adds or removes its entry in %1.</source>
        <translation>Tarnwick adds or removes its entry in %1.</translation>
    </message>
    <message id="loginItem.registerFailed">
        <source>Could not write the autostart entry %1: %2</source>
        <translation>Could not write the autostart entry %1: %2</translation>
    </message>
    <message id="loginItem.unregisterFailed">
        <source>Could not remove the autostart entry %1: %2</source>
        <translation>Could not remove the autostart entry %1: %2</translation>
    </message>
    <message id="loginItem.pathNotUtf8">
        <source>the program's path %1 is not valid UTF-8, which an autostart entry needs</source>
        <translation>the program's path %1 is not valid UTF-8, which an autostart entry needs</translation>
    </message>
    <message id="loginItem.pathHasPercent">
        <source>the program's path %1 contains “%”, which an autostart entry cannot hold; move Tarnwick to a folder without it</source>
        <translation>the program's path %1 contains “%”, which an autostart entry cannot hold; move Tarnwick to a folder without it</translation>
    </message>
    <message id="permission.header">
        <source>Display Access</source>
        <translation>Display Access</translation>
    </message>
    <message id="permission.allowed">
        <source>Tarnwick can move windows</source>
        <translation>Tarnwick can move windows</translation>
    </message>
    <message id="permission.required">
        <source>Tarnwick cannot reach the X display</source>
        <translation>Tarnwick cannot reach the X display</translation>
    </message>
    <message id="permission.explanation">
        <source>Tarnwick needs a connection to the X display to see new windows and move them.</source>
        <translation>Tarnwick needs a connection to the X display to see new windows and move them.</translation>
    </message>
    <message id="permission.openSettings">
        <source>Check Again</source>
        <translation>Check Again</translation>
    </message>
    <message id="status.header">
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message id="status.lastAction">
        <source>Last move</source>
        <translation>Last move</translation>
    </message>
    <message id="apps.header">
        <source>Applications</source>
        <translation>Applications</translation>
    </message>
    <message id="apps.none">
        <source>No applications with windows are running.</source>
        <translation>No applications with windows are running.</translation>
    </message>
    <message id="apps.noAccess">
        <source>Applications cannot be listed without access to the X display.</source>
        <translation>Applications cannot be listed without access to the X display.</translation>
    </message>
    <message id="apps.enableAll">
        <source>Place Windows of All Applications</source>
        <translation>Place Windows of All Applications</translation>
    </message>
    <message id="apps.footer">
        <source>Switch an application off to leave its new windows where they open. Your choice is kept when the application quits.</source>
        <translation>Switch an application off to leave its new windows where they open. Your choice is kept when the application quits.</translation>
    </message>
    <message id="preferences.unreadable">
        <source>Tarnwick cannot read its settings file %1: %2. It uses its defaults and leaves the file as it is; your changes apply until Tarnwick quits.</source>
        <translation>Tarnwick cannot read its settings file %1: %2. It uses its defaults and leaves the file as it is; your changes apply until Tarnwick quits.</translation>
    </message>
    <message id="preferences.writeFailed">
        <source>Tarnwick could not save its settings to %1: %2. Your changes apply until Tarnwick quits; the next change that can be saved stores them all.</source>
        <translation>Tarnwick could not save its settings to %1: %2. Your changes apply until Tarnwick quits; the next change that can be saved stores them all.</translation>
    </message>
    <message id="file.notRegular">
        <source>it is not a regular file</source>
        <translation>it is not a regular file</translation>
    </message>
    <message id="file.tooLarge">
        <source>it is larger than %1</source>
        <translation>it is larger than %1</translation>
    </message>
    <message id="help.intro">
        <source>Tarnwick puts every new window on the monitor you are working on: the one under the mouse pointer.</source>
        <translation>Tarnwick puts every new window on the monitor you are working on: the one under the mouse pointer.</translation>
    </message>
    <message id="help.how.title">
        <source>How it works</source>
        <translation>How it works</translation>
    </message>
    <message id="help.how.body">
        <source>Tarnwick watches the running applications. Shortly after an application opens a new ordinary window, Tarnwick moves it to the monitor under the mouse pointer and keeps its relative place on that monitor. The window's size never changes. With a single monitor, or when the window already opens on the pointer's monitor, nothing moves. Dialogs, minimized and full-screen windows are left alone.</source>
        <translation>Tarnwick watches the running applications. Shortly after an application opens a new ordinary window, Tarnwick moves it to the monitor under the mouse pointer and keeps its relative place on that monitor. The window's size never changes. With a single monitor, or when the window already opens on the pointer's monitor, nothing moves. Dialogs, minimized and full-screen windows are left alone.</translation>
    </message>
    <message id="help.permission.title">
        <source>Display access</source>
        <translation>Display access</translation>
    </message>
    <message id="help.permission.body">
        <source>Tarnwick needs a working connection to the X display to see new windows and move them. While that connection is down, the status line says so, and Tarnwick checks again every two seconds. Under Wayland no program may move the windows of another, so there Tarnwick can only place windows of applications that run through XWayland.</source>
        <translation>Tarnwick needs a working connection to the X display to see new windows and move them. While that connection is down, the status line says so, and Tarnwick checks again every two seconds. Under Wayland no program may move the windows of another, so there Tarnwick can only place windows of applications that run through XWayland.</translation>
    </message>
    <message id="help.loginItem.title">
        <source>Start at login</source>
        <translation>Start at login</translation>
    </message>
    <message id="help.loginItem.body">
        <source>The login switch adds an autostart entry, org.tarnwick.Tarnwick.desktop, to %1, and switching it off removes the entry. If your desktop has disabled the entry, Tarnwick says so. If the program has moved since, the entry no longer works and the switch shows off: switch it on again to point the entry at the program's new place. A program whose path contains “%” cannot be started by an autostart entry.</source>
        <translation>The login switch adds an autostart entry, org.tarnwick.Tarnwick.desktop, to %1, and switching it off removes the entry. If your desktop has disabled the entry, Tarnwick says so. If the program has moved since, the entry no longer works and the switch shows off: switch it on again to point the entry at the program's new place. A program whose path contains “%” cannot be started by an autostart entry.</translation>
    </message>
    <message id="help.apps.title">
        <source>Leaving applications alone</source>
        <translation>Leaving applications alone</translation>
    </message>
    <message id="help.apps.body">
        <source>The list shows the running applications that own ordinary windows. Switch one off to leave its new windows where they open. Your choices, and the placement switch itself, are kept in %1 and also apply to applications that are not running.</source>
        <translation>The list shows the running applications that own ordinary windows. Switch one off to leave its new windows where they open. Your choices, and the placement switch itself, are kept in %1 and also apply to applications that are not running.</translation>
    </message>
    <message id="help.limits.title">
        <source>Limits</source>
        <translation>Limits</translation>
    </message>
    <message id="help.limits.body">
        <source>Only new windows are moved, never windows that are already open, and never their size. Some applications position their windows again after they open, and a window manager may also override the place Tarnwick chose.</source>
        <translation>Only new windows are moved, never windows that are already open, and never their size. Some applications position their windows again after they open, and a window manager may also override the place Tarnwick chose.</translation>
    </message>
    <message id="help.troubleshooting.title">
        <source>Troubleshooting</source>
        <translation>Troubleshooting</translation>
    </message>
    <message id="help.troubleshooting.body">
        <source>If windows are not moved, check that placement is switched on, that the application is not switched off in the list, and that the status line reports access to the display. Under Wayland, check that the application runs through XWayland. If the settings file %1 cannot be read or written, the settings window says why; Tarnwick then uses its defaults, keeps your changes until it quits and leaves the file as it is. A settings file that is not valid JSON is kept beside it as defaults.json.corrupt.</source>
        <translation>If windows are not moved, check that placement is switched on, that the application is not switched off in the list, and that the status line reports access to the display. Under Wayland, check that the application runs through XWayland. If the settings file %1 cannot be read or written, the settings window says why; Tarnwick then uses its defaults, keeps your changes until it quits and leaves the file as it is. A settings file that is not valid JSON is kept beside it as defaults.json.corrupt.</translation>
    </message>
    <message id="about.version">
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message id="about.description">
        <source>Moves each new window onto the monitor under the mouse pointer, so that it opens where you are working.</source>
        <translation>Moves each new window onto the monitor under the mouse pointer, so that it opens where you are working.</translation>
    </message>
    <message id="about.developer">
        <source>Developer</source>
        <translation>Developer</translation>
    </message>
    <message id="about.email">
        <source>E-mail</source>
        <translation>E-mail</translation>
    </message>
    <message id="about.phone">
        <source>Phone</source>
        <translation>Phone</translation>
    </message>
    <message id="about.website">
        <source>Website</source>
        <translation>Website</translation>
    </message>
    <message id="Made with ♥︎ in many places">
        <source>Made with ♥︎ in many places</source>
        <translation>Made with ♥︎ in many places</translation>
    </message>
    <message id="Made with love in many places">
        <source>Made with love in many places</source>
        <translation>Made with love in many places</translation>
    </message>
</context>
</TS>
