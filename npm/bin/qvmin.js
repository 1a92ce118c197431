#!/usr/bin/env node
'use strict';
// The qvmin command line, built to WebAssembly, on real files through node's fs: the same
// options, messages, files and exit status as the native binary.
require('../dist/qvmin.js');
