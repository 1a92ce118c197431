#!/usr/bin/env node
'use strict';
// qvmin-restore built to WebAssembly: names and positions put back into a log on standard input.
require('../dist/qvmin-restore.js');
