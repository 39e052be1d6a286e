"""The application manifest inside a built player: resource type 24, id 1,
well-formed XML with per-monitor DPI awareness, the supported Windows
versions from 7 to 10/11 and the Common Controls 6 dependency.
Usage: manifest_check.py PLAYER"""
import struct
import sys
import xml.etree.ElementTree as ET


def manifest_bytes(data):
    """The data of resource 24/1 (any language) of a PE file, or None."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return None
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    is_pe32 = struct.unpack_from("<H", data, optional)[0] == 0x10B
    rva = struct.unpack_from("<I", data, optional + (96 if is_pe32 else 112) + 2 * 8)[0]
    if not rva:
        return None
    table = [struct.unpack_from("<8xIIII", data, optional + optional_size + 40 * i) for i in range(sections)]

    def offset(at):
        return next(at - va + raw for size, va, raw_size, raw in table if va <= at < va + max(size, raw_size))

    root = offset(rva)

    def entry(directory, ident):  # the entry with this id, or the first when ident is None
        named, ids = struct.unpack_from("<HH", data, directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, directory + 16 + 8 * i)
            if ident is None or name == ident:
                return root + (target & 0x7FFFFFFF)
        return None

    types = entry(root, 24)
    names = types and entry(types, 1)
    leaf = names and entry(names, None)
    if not leaf:
        return None
    at, size = struct.unpack_from("<II", data, leaf)
    return data[offset(at):offset(at) + size]


ASM = "{urn:schemas-microsoft-com:asm.v1}"
text = manifest_bytes(open(sys.argv[1], "rb").read())
assert text, "no manifest resource (type 24, id 1)"
root = ET.fromstring(text)
assert root.tag == ASM + "assembly", root.tag
settings = {e.tag: e.text.strip() for e in root.iter() if e.tag.endswith(("}dpiAware", "}dpiAwareness"))}
assert settings == {"{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware": "true/pm",
                    "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness": "PerMonitorV2, PerMonitor"}, settings
systems = {e.get("Id") for e in root.iter("{urn:schemas-microsoft-com:compatibility.v1}supportedOS")}
assert systems == {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                   "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}, systems
dependencies = [e.attrib for d in root.iter(ASM + "dependentAssembly") for e in d.iter(ASM + "assemblyIdentity")]
assert any(d.get("name") == "Microsoft.Windows.Common-Controls" and d.get("version") == "6.0.0.0"
           and d.get("publicKeyToken") == "6595b64144ccf1df" for d in dependencies), dependencies
print("manifest: %d bytes, DPI %s, %d supported systems, Common Controls 6" %
      (len(text), settings[next(k for k in settings if k.endswith("dpiAwareness"))], len(systems)))
