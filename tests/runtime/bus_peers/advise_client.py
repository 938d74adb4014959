#!/usr/bin/python3
"""A client written with python3-dbus: links to an item of a script's topic and reports the Changed signals.

usage: advise_client.py SERVICE_NAME TOPIC ITEM [hold]

Steps (each reported on stdout): connect, advise, execute "one" (the script then sets the item), wait for
Changed; unadvise, execute "two" (the script sets the item again), request the item until the new value
shows and report whether any Changed came meanwhile; execute "end".
With "hold" it stops after the advise and waits to be killed, holding its link.
"""
import sys

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

IFACE = "org.tarnwick.Conversation1"


def say(text):
    print(text, flush=True)


def main():
    name, topic, item = sys.argv[1:4]
    hold = len(sys.argv) > 4 and sys.argv[4] == "hold"
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    server = dbus.Interface(bus.get_object(name, "/org/tarnwick/Conversation"), IFACE)
    changes = []
    bus.add_signal_receiver(lambda t, i, text: changes.append((str(t), str(i), str(text))),
                            signal_name="Changed", dbus_interface=IFACE, bus_name=name)
    conversation = server.Connect(topic)
    server.Advise(conversation, item)
    say("linked")
    loop = GLib.MainLoop()
    if hold:
        loop.run()
        return
    server.Execute(conversation, "one")

    def check():
        if changes:
            loop.quit()
            return False
        return True

    GLib.timeout_add(20, check)
    GLib.timeout_add(30000, loop.quit)
    loop.run()
    for change in changes:
        say("changed %s %s %r" % change)
    first = changes[-1][2] if changes else ""
    changes.clear()
    server.Unadvise(conversation, item)
    server.Execute(conversation, "two")
    # The script sets the item once its wait for the macro has ended: ask until the new value shows. A
    # Changed signal sent for it would have arrived before that answer.
    answer = server.Request(conversation, item)
    for _ in range(3000):
        if str(answer) != first:
            break
        GLib.usleep(10000)
        answer = server.Request(conversation, item)
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)
    say("after unadvise %r, changes %d" % (str(answer), len(changes)))
    server.Execute(conversation, "end")


main()
