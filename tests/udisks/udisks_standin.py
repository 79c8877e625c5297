#!/usr/bin/python3
"""A stand-in for the system's disk service on a private bus.

Drives and their block devices are what the test adds through the control
interface org.quovil.Test; OpenDevice answers with a descriptor of a card
image file, or with the error the test chose. Usage: udisks_standin.py ADDRESS
(prints "ready" once the service name is owned)."""
import os
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

UD = 'org.freedesktop.UDisks2'
ROOT = '/org/freedesktop/UDisks2'
OM = 'org.freedesktop.DBus.ObjectManager'
PROPS = 'org.freedesktop.DBus.Properties'
BLOCK = UD + '.Block'
DRIVE = UD + '.Drive'
PART = UD + '.Partition'
TEST = 'org.quovil.Test'


def props(d):
    return dbus.Dictionary(d, signature='sv')


class Obj(dbus.service.Object):
    def __init__(self, bus, path, ifaces):
        super().__init__(bus, path)
        self.path = path
        self.ifaces = ifaces

    @dbus.service.method(PROPS, in_signature='ss', out_signature='v')
    def Get(self, iface, name):
        return self.ifaces[iface][name]

    @dbus.service.method(PROPS, in_signature='s', out_signature='a{sv}')
    def GetAll(self, iface):
        return self.ifaces.get(iface, props({}))

    @dbus.service.signal(PROPS, signature='sa{sv}as')
    def PropertiesChanged(self, iface, changed, invalidated):
        pass


class Block(Obj):
    def __init__(self, manager, bus, path, ifaces, device, image):
        super().__init__(bus, path, ifaces)
        self.manager = manager
        self.device = device
        self.image = image

    @dbus.service.method(BLOCK, in_signature='sa{sv}', out_signature='h')
    def OpenDevice(self, mode, options):
        m = self.manager
        m.opens.append('%s %s' % (self.device, mode))
        refusal = m.refuse or (m.refuse_writes if mode == 'rw' else '')
        if refusal:
            raise dbus.exceptions.DBusException('Not authorized', name=refusal)
        fd = os.open(self.image, os.O_RDWR if mode == 'rw' else os.O_RDONLY)
        answer = dbus.types.UnixFd(fd)
        os.close(fd)
        return answer


class Manager(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, ROOT)
        self.bus = bus
        self.objects = {}
        self.opens = []
        self.refuse = ''
        self.refuse_writes = ''

    @dbus.service.method(OM, out_signature='a{oa{sa{sv}}}')
    def GetManagedObjects(self):
        return dbus.Dictionary({dbus.ObjectPath(p): o.ifaces for p, o in self.objects.items()},
                               signature='oa{sa{sv}}')

    @dbus.service.signal(OM, signature='oa{sa{sv}}')
    def InterfacesAdded(self, path, ifaces):
        pass

    @dbus.service.signal(OM, signature='oas')
    def InterfacesRemoved(self, path, ifaces):
        pass

    def add(self, obj):
        self.objects[obj.path] = obj
        self.InterfacesAdded(dbus.ObjectPath(obj.path), obj.ifaces)

    def remove(self, path):
        obj = self.objects.pop(path, None)
        if obj:
            self.InterfacesRemoved(dbus.ObjectPath(path), dbus.Array(list(obj.ifaces.keys()), signature='s'))
            obj.remove_from_connection()

    # kind: "reader" (removable media), "fixed" (a system disk), "optical";
    # partition: a partition object of the disk as well.
    @dbus.service.method(TEST, in_signature='sssbb')
    def AddDrive(self, name, image, kind, media, partition):
        drive_path = ROOT + '/drives/' + name
        block_path = ROOT + '/block_devices/' + name
        device = '/dev/' + name
        removable = kind != 'fixed'
        drive = {DRIVE: props({
            'Removable': dbus.Boolean(removable), 'MediaRemovable': dbus.Boolean(removable),
            'MediaAvailable': dbus.Boolean(media), 'Optical': dbus.Boolean(kind == 'optical'),
            'Ejectable': dbus.Boolean(removable), 'ConnectionBus': 'usb' if removable else 'sata',
            'Model': 'Card Reader' if removable else 'Disk'})}
        size = os.path.getsize(image) if media else 0
        block = {BLOCK: props({
            'Device': dbus.ByteArray(device.encode() + b'\0'),
            'PreferredDevice': dbus.ByteArray(device.encode() + b'\0'),
            'Drive': dbus.ObjectPath(drive_path), 'Size': dbus.UInt64(size),
            'HintSystem': dbus.Boolean(not removable)})}
        self.add(Obj(self.bus, drive_path, drive))
        self.add(Block(self, self.bus, block_path, block, device, image))
        if partition:
            part = {BLOCK: props(dict(block[BLOCK], Device=dbus.ByteArray((device + '1').encode() + b'\0'),
                                      PreferredDevice=dbus.ByteArray((device + '1').encode() + b'\0'))),
                    PART: props({'Number': dbus.UInt32(1)})}
            self.add(Block(self, self.bus, block_path + '1', part, device + '1', image))

    @dbus.service.method(TEST, in_signature='s')
    def RemoveDrive(self, name):
        for path in [p for p in self.objects if p.endswith('/' + name) or p.endswith('/' + name + '1')]:
            self.remove(path)

    @dbus.service.method(TEST, in_signature='ss')
    def Refuse(self, reads, writes):
        self.refuse = reads
        self.refuse_writes = writes

    # A change of nothing: tells a listener that its subscriptions hold.
    @dbus.service.method(TEST)
    def Ping(self):
        self.InterfacesAdded(dbus.ObjectPath(ROOT + '/ping'), dbus.Dictionary({}, signature='sa{sv}'))

    @dbus.service.method(TEST, out_signature='as')
    def Opens(self):
        return dbus.Array(self.opens, signature='s')


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(sys.argv[1])
    manager = Manager(bus)
    name = dbus.service.BusName(UD, bus)
    print('ready', flush=True)
    GLib.MainLoop().run()
    del manager, name


if __name__ == '__main__':
    main()
