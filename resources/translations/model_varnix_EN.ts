<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The tool's own texts are written in Chinese; this catalogue is where an English
     translation of them goes. It carries none yet, so the Chinese texts stand. -->
<TS version="2.1" language="en_US">
</TS>
