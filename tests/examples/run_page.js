// Runs a page's script under node with just enough of a browser to drive it: a document with
// elements by id, createElement, child lists and textContent, and window load events. Prints
// every console.log line, then what the page's button does, as JSON on one line.
'use strict';
const fs = require('fs');
const vm = require('vm');

function makeElement(tag) {
  const element = {
    tagName: tag.toUpperCase(),
    textContent: '',
    childNodes: [],
    get firstChild() { return this.childNodes[0] || null; },
    appendChild(child) { this.childNodes.push(child); return child; },
    removeChild(child) {
      const at = this.childNodes.indexOf(child);
      if (at < 0) throw new Error('not a child');
      this.childNodes.splice(at, 1);
      return child;
    },
  };
  return element;
}

function runPage(scriptPath, buttonCall) {
  const printed = [];
  const elements = { 'cart-lines': makeElement('ul'), 'cart-total': makeElement('p') };
  const listeners = {};
  const window = {
    addEventListener(type, listener) { (listeners[type] = listeners[type] || []).push(listener); },
  };
  const document = {
    getElementById(id) { return elements[id] || null; },
    createElement: makeElement,
  };
  const context = vm.createContext({
    window, document, Math, String, Error,
    console: { log: (...parts) => printed.push(parts.join(' ')) },
  });
  vm.runInContext(fs.readFileSync(scriptPath, 'utf8'), context, { filename: scriptPath });
  for (const listener of listeners.load || []) listener();
  if (buttonCall) vm.runInContext(buttonCall, context);
  return printed;
}

const [scriptPath, buttonCall] = process.argv.slice(2);
process.stdout.write(JSON.stringify(runPage(scriptPath, buttonCall)) + '\n');
