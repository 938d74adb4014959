#!/usr/bin/python3
"""A stand-in server written with python3-dbus that answers each Execute one second late.

usage: slow_server.py SERVICE LOG_FILE

It owns org.tarnwick.Conversation.SERVICE.pPID, accepts every topic and appends each macro to LOG_FILE.
"""
import os
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

IFACE = "org.tarnwick.Conversation1"


class Server(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/tarnwick/Conversation")
        self.log = log

    @dbus.service.method(IFACE, in_signature="s", out_signature="t")
    def Connect(self, topic):
        return dbus.UInt64(1)

    @dbus.service.method(IFACE, in_signature="t", out_signature="")
    def Disconnect(self, conversation):
        pass

    @dbus.service.method(IFACE, in_signature="ts", out_signature="", async_callbacks=("done", "failed"))
    def Execute(self, conversation, macro, done, failed):
        with open(self.log, "a") as log:
            log.write(str(macro) + "\n")

        def answer():
            done()
            return False

        GLib.timeout_add(1000, answer)


def main():
    service, log = sys.argv[1:3]
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    server = Server(bus, log)
    name = dbus.service.BusName("org.tarnwick.Conversation.%s.p%d" % (service, os.getpid()), bus)
    GLib.MainLoop().run()
    del server, name


main()
